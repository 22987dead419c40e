// The macro runner of Agent: lists the stored macros and runs them (or a
// text handed over directly) with the script engine of the read-text window,
// with the Agent itself published to the script as Kibo.

#include "AgentCtl/Agent.h"
#include "AgentCtl/MainForm.h"
#include "common/MacroScript.h"
#include "common/MacroStore.h"
#include "common/RuntimeErrors.h"
#include "common/SettingsStore.h"
#include "platform/script/ScriptEngine.h"
#include "system/SystemServices.h"

#include <QPointer>
#include <QSet>

namespace tilvano {

namespace {

// What runs for a slot whose name matches but whose script was never written.
// The misspelt member is deliberate and long-standing: running it fails, so the
// caller learns that the macro is missing.
const QString kMissingMacroScript = QStringLiteral("Kibo.SpeaktIt \"Makro nicht gefunden\"");

// Each macro started from inside a running macro nests one engine run inside
// another; a macro that starts itself would otherwise recurse until the stack
// runs out.
constexpr int kMaximumMacroNesting = 32;

// The stored form turned into the text that runs: line separators become line
// breaks, then every single quote is written twice.
void prepareForRun(QString &macroText)
{
    macroText = expandLineSeparators(macroText);
    macroText.replace(QLatin1Char('\''), QStringLiteral("''"));
}

ErrorInfo toErrorInfo(const script::ScriptError &error)
{
    return ErrorInfo{error.number, error.source, error.description, error.line};
}

} // namespace

QStringList Agent::MacroNames()
{
    Log(QStringLiteral("Get MacroNames"));
    const QStringList names = ListMacroNames();
    // The names are the keys clients look macros up by, and keys ignore
    // letter case: two names that differ only in case cannot both be listed.
    QSet<QString> keys;
    for (const QString &name : names) {
        const QString key = name.toCaseFolded();
        if (keys.contains(key)) {
            SetLastError(runtime::keyInUse());
            return {};
        }
        keys.insert(key);
    }
    return names;
}

bool Agent::RunMacroByName(const QString &sName)
{
    Log(QStringLiteral("RunMacroByName: ") + sName);
    // An empty name would match the first blank slot, which holds no macro.
    const std::optional<int> slot = sName.isEmpty() ? std::nullopt : FindMacroSlot(sName);
    if (!slot)
        return false;
    // Read directly: an absent script has its own default, unlike an empty one.
    QString macroText = GetSetting(settingsApplication(), macrosSection(), macroScriptKey(*slot), kMissingMacroScript);
    prepareForRun(macroText);
    if (!runScript(macroText))
        return false;
    // The slot past the last macro is only ever blank; finding it is no success.
    return *slot < lastReadSlot;
}

bool Agent::RunMacroText(QString &sMacroText)
{
    Log(QStringLiteral("RunMacroText: ") + sMacroText);
    prepareForRun(sMacroText);
    return runScript(sMacroText);
}

bool Agent::runScript(const QString &scriptText)
{
    if (m_macroNesting >= kMaximumMacroNesting) {
        SetLastError(runtime::outOfStackSpace());
        return false;
    }
    script::ScriptEngine &engine = m_mainForm->ScriptControl();
    // Every run starts from nothing: no code or object of an earlier run stays.
    engine.reset();
    engine.setDialogService(&SystemServices::dialogs());
    engine.addObject(QStringLiteral("Kibo"), this);

    // A client's handler of an event the script causes may delete this Agent.
    const QPointer<Agent> alive(this);
    ++m_macroNesting;
    const bool ran = engine.executeStatement(scriptText);
    if (!alive)
        return ran;
    --m_macroNesting;
    if (!ran) {
        // The engine keeps the error of the run that ended last: this one,
        // even when macros started inside it ran and failed on their own.
        SetLastError(toErrorInfo(engine.lastError()));
        return false;
    }
    return true;
}

} // namespace tilvano
