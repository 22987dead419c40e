// MsgBox and InputBox, shown through the host's dialog service.

#include "BuiltinSupport.h"
#include "Interpreter.h"
#include "system/DialogService.h"

namespace tilvano::script {

namespace {

DialogService &dialogs(Interpreter &in)
{
    if (!in.dialogs())
        raiseError(errc::PermissionDenied); // no place to show a box: a host without a user
    return *in.dialogs();
}

Value fnMsgBox(Interpreter &in, Args a, int n)
{
    DialogService &d = dialogs(in);
    const QString prompt = a[0].primitive().toStringOrEmpty();
    const int style = n > 1 ? a[1].toLong() : 0;
    const QString title = n > 2 ? a[2].primitive().toStringOrEmpty() : QStringLiteral("VBScript");
    const int result = d.messageBox(prompt, title, style);
    in.afterForeignCall();
    return Value::integer(std::int16_t(result));
}

Value fnInputBox(Interpreter &in, Args a, int n)
{
    DialogService &d = dialogs(in);
    const QString prompt = a[0].primitive().toStringOrEmpty();
    const QString title = n > 1 ? a[1].primitive().toStringOrEmpty() : QStringLiteral("VBScript");
    const QString preset = n > 2 ? a[2].primitive().toStringOrEmpty() : QString();
    const QString answer = d.inputBox(prompt, title, preset);
    in.afterForeignCall();
    return Value::string(answer.isNull() ? QString() : answer);
}

} // namespace

std::span<const Builtin> dialogFunctions()
{
    static const Builtin functions[] = {
        {"msgbox", 1, 5, fnMsgBox}, {"inputbox", 1, 7, fnInputBox},
    };
    return functions;
}

} // namespace tilvano::script
