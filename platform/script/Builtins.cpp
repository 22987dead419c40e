// The registry of the language's library: the families of functions, each in
// a file of its own, the named constants, and what stays shut.
#include "Builtins.h"

#include "BuiltinSupport.h"
#include "ErrObject.h"
#include "Interpreter.h"
#include "Module.h"

#include <QHash>

namespace tilvano::script {

namespace {

Value fnCannotCreate(Interpreter &, Args, int) { raiseError(errc::CannotCreateObject); }
Value fnNotPermitted(Interpreter &, Args, int) { raiseError(errc::PermissionDenied); }

Value fnErr(Interpreter &in, Args, int) { return Value::object(in.module().err.get()); }

// The language's doors to files, processes and code made at run time stay
// shut: a macro reaches only the objects its host publishes.
const Builtin closedDoors[] = {
    {"createobject", 0, ManyArguments, fnCannotCreate}, {"getobject", 0, ManyArguments, fnCannotCreate},
    {"execute", 0, ManyArguments, fnNotPermitted}, {"executeglobal", 0, ManyArguments, fnNotPermitted},
    {"eval", 0, ManyArguments, fnNotPermitted}, {"getref", 0, ManyArguments, fnNotPermitted}, {"err", 0, 0, fnErr},
};

} // namespace

const Builtin *findBuiltin(const QString &lowerName)
{
    static const QHash<QString, const Builtin *> index = [] {
        QHash<QString, const Builtin *> h;
        for (std::span<const Builtin> family : {stringFunctions(), conversionFunctions(), mathFunctions(), arrayFunctions(),
                                                dateFunctions(), dialogFunctions(), std::span<const Builtin>(closedDoors)})
            for (const Builtin &b : family)
                h.insert(QString::fromLatin1(b.name), &b);
        return h;
    }();
    return index.value(lowerName, nullptr);
}

bool findBuiltinConstant(const QString &lowerName, Value *value)
{
    static const QHash<QString, Value> constants = [] {
        QHash<QString, Value> c;
        const auto str = [&](const char *name, const QString &s) { c.insert(QString::fromLatin1(name), Value::string(s)); };
        const auto num = [&](const char *name, int v) { c.insert(QString::fromLatin1(name), Value::fromInteger(v)); };
        str("vbcrlf", QStringLiteral("\r\n"));
        str("vbnewline", QStringLiteral("\r\n"));
        str("vbcr", QStringLiteral("\r"));
        str("vblf", QStringLiteral("\n"));
        str("vbtab", QStringLiteral("\t"));
        str("vbnullstring", QString());
        str("vbnullchar", QString(QChar(0)));
        str("vbformfeed", QStringLiteral("\f"));
        str("vbverticaltab", QStringLiteral("\v"));
        c.insert(QStringLiteral("vbtrue"), Value::integer(-1));
        c.insert(QStringLiteral("vbfalse"), Value::integer(0));
        num("vbusedefault", -2);
        num("vbbinarycompare", 0); num("vbtextcompare", 1);
        num("vbokonly", 0); num("vbokcancel", 1); num("vbabortretryignore", 2); num("vbyesnocancel", 3);
        num("vbyesno", 4); num("vbretrycancel", 5); num("vbcritical", 16); num("vbquestion", 32);
        num("vbexclamation", 48); num("vbinformation", 64); num("vbdefaultbutton1", 0);
        num("vbdefaultbutton2", 256); num("vbdefaultbutton3", 512); num("vbok", 1); num("vbcancel", 2);
        num("vbabort", 3); num("vbretry", 4); num("vbignore", 5); num("vbyes", 6); num("vbno", 7);
        num("vbempty", 0); num("vbnull", 1); num("vbinteger", 2); num("vblong", 3); num("vbsingle", 4);
        num("vbdouble", 5); num("vbcurrency", 6); num("vbdate", 7); num("vbstring", 8); num("vbobject", 9);
        num("vberror", 10); num("vbboolean", 11); num("vbvariant", 12); num("vbbyte", 17); num("vbarray", 8192);
        num("vbsunday", 1); num("vbmonday", 2); num("vbtuesday", 3); num("vbwednesday", 4);
        num("vbthursday", 5); num("vbfriday", 6); num("vbsaturday", 7); num("vbobjecterror", int(0x80040000));
        return c;
    }();
    const auto found = constants.constFind(lowerName);
    if (found == constants.cend())
        return false;
    *value = *found;
    return true;
}

} // namespace tilvano::script

