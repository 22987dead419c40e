#pragma once

#include "AgentCtl/Agent.h"
#include "common/AgentInterface.h"
#include "common/SettingsStore.h"
#include "system/ServiceRegistry.h"
#include "system/SystemServices.h"
#include "support/IsolatedHome.h"
#include "support/RecordingAgentControl.h"
#include "support/RecordingShellExecutor.h"
#include "support/ScriptedDialogService.h"

#include <QDir>
#include <QFile>
#include <QPointer>

#include <memory>

namespace tilvano::test {

// Everything an Agent test stands on: a fresh home, logging switched on into
// a private install folder, scripted dialogs, a shell that starts nothing and
// a factory that hands each new Agent a recording character service.
class AgentTestBench {
public:
    AgentTestBench()
    {
        home = std::make_unique<IsolatedHome>();
        ServiceRegistry::replace<DialogService>(&dialogs);
        ServiceRegistry::replace<ShellExecutor>(&shell);
        installPath = home->path() + QStringLiteral("/install/");
        QDir().mkpath(installPath);
        saveStored(QStringLiteral("InstallPath"), installPath);
        saveStored(QStringLiteral("Logging"), QStringLiteral("1"));
        ServiceRegistry::replace<AgentControlFactory>(&recordingControls);
    }

    ~AgentTestBench()
    {
        ServiceRegistry::replace<AgentControlFactory>(nullptr);
        ServiceRegistry::replace<DialogService>(nullptr);
        ServiceRegistry::replace<ShellExecutor>(nullptr);
    }

    static void saveStored(const QString &key, const QString &value)
    {
        SaveSetting(settingsApplication(), QStringLiteral("StoredValues"), key, value);
    }
    static QString active(const QString &key)
    {
        return GetSetting(settingsApplication(), QStringLiteral("ActiveAgent"), key, QStringLiteral("<absent>"));
    }
    static void saveActive(const QString &key, const QString &value)
    {
        SaveSetting(settingsApplication(), QStringLiteral("ActiveAgent"), key, value);
    }

    // The messages of the log lines written so far, without time stamp and
    // writer; a message with line breaks stays one entry.
    QStringList logMessages() const
    {
        QFile file(installPath + QStringLiteral("/protocol.log"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QString marker = QStringLiteral(": Tilvano : ");
        QStringList messages;
        QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
        lines.removeLast(); // what follows the last line end
        for (const QString &line : lines) {
            const qsizetype at = line.indexOf(marker);
            if (at >= 0)
                messages.append(line.mid(at + marker.size()));
            else if (!messages.isEmpty())
                messages.last() += QStringLiteral("\r\n") + line;
        }
        return messages;
    }
    void clearLog() const { QFile::remove(installPath + QStringLiteral("/protocol.log")); }

    // An Agent with the character loaded from `file`, calls and log cleared.
    std::unique_ptr<Agent> agentWithCharacter(const QString &file = QStringLiteral("/chars/Merlin.acs"))
    {
        auto agent = std::make_unique<Agent>();
        QString path = file;
        agent->LoadChar(path);
        control->clearCalls();
        clearLog();
        return agent;
    }
    RecordingAgentCharacter *character() const { return control ? control->character(QStringLiteral("somebody")) : nullptr; }

    std::unique_ptr<IsolatedHome> home;
    ScriptedDialogService dialogs;
    RecordingShellExecutor shell;
    QString installPath;
    bool serviceAvailable = true;
    CharacterProfile profile; // what the characters of controls made from now on report
    QPointer<RecordingAgentControl> control;

private:
    AgentControlFactory recordingControls{[this](QWidget *) -> std::unique_ptr<AgentControl> {
        if (!serviceAvailable)
            return nullptr;
        auto created = std::make_unique<RecordingAgentControl>();
        created->profile() = profile;
        control = created.get();
        return created;
    }};
};

} // namespace tilvano::test
