#pragma once

#include "support/AgentTestBench.h"

#include "common/MacroStore.h"
#include "common/SettingsStore.h"

namespace tilvano::test {

inline QString storedMessengerValue(const QString &key)
{
    return GetSetting(settingsApplication(), QStringLiteral("Messenger"), key, QStringLiteral("<absent>"));
}

inline void storeMessengerValue(const QString &key, const QString &value)
{
    SaveSetting(settingsApplication(), QStringLiteral("Messenger"), key, value);
}

// One macro per occasion, chosen on the page. The scripts only assign, so the
// log shows the page's calls of the character and nothing the macros do.
inline void storeMessengerMacros()
{
    StoreMacro(0, QStringLiteral("Nachricht"), QStringLiteral("x = \"<FRIENDLYNAME>|<MESSAGE>\""));
    StoreMacro(1, QStringLiteral("Einladung"), QStringLiteral("x = \"<friendlyname> lädt zu <Application> ein\""));
    StoreMacro(2, QStringLiteral("Anmeldung"), QStringLiteral("x = 1"));
    StoreMacro(3, QStringLiteral("Abmeldung"), QStringLiteral("x = 2"));
    storeMessengerValue(QStringLiteral("MacroMessage"), QStringLiteral("Nachricht"));
    storeMessengerValue(QStringLiteral("MacroInvite"), QStringLiteral("Einladung"));
    storeMessengerValue(QStringLiteral("MacroLogon"), QStringLiteral("Anmeldung"));
    storeMessengerValue(QStringLiteral("MacroLogoff"), QStringLiteral("Abmeldung"));
}

// What the page asked of the character so far, in order, as the log has it.
inline QStringList pageCalls(const AgentTestBench &bench)
{
    QStringList calls;
    for (const QString &message : bench.logMessages()) {
        if (message.startsWith(QStringLiteral("RunMacroText: ")) || message.startsWith(QStringLiteral("SpeakIt: "))
            || message.startsWith(QStringLiteral("RunMacroByName: ")))
            calls.append(message);
    }
    return calls;
}

} // namespace tilvano::test
