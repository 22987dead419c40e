// Agent: the character's menu entries, which are also its voice commands, and
// what happens when the user picks one or speaks it.

#include "AgentCtl/Agent.h"

#include "AgentCtl/MainForm.h"
#include "common/ErrorLog.h"
#include "common/FileHelpers.h"
#include "common/RuntimeErrors.h"
#include "common/SettingsStore.h"
#include "common/mShellExecute.h"

namespace tilvano {

namespace {

struct BuiltInCommand {
    const char *key;
    const char *caption;
    const char *voice;
};

// In the order they appear in the menu.
const BuiltInCommand kBuiltInCommands[] = {
    {"speakTxt", "&Text sprechen", "text sprechen"},
    {"macroeditor", "&Ablaufwerk", "ablaufwerk"},
    {"stopall", "&Stoppen", "alles stoppen"},
    {"restpose", "&Ruhezustand", "ruhezustand"},
    {"randomanimation", "&Zufallsanimation", "zufallsanimation"},
    {"help", "&Hilfe", "hilfe"},
};

// Spoken commands at or below this confidence were not understood.
constexpr qint64 kNotUnderstoodConfidence = -40;
// Two voice candidates closer than this are too alike to pick one.
constexpr qint64 kAmbiguousDistance = 10;

QString flagText(bool value) { return boolSetting(value); }

QString storedValue(const QString &key)
{
    return GetSetting(settingsApplication(), QStringLiteral("StoredValues"), key, QString());
}

} // namespace

bool Agent::AddMenuItem(const QString &Name, const QString &Caption, const QString &VoiceCmd, bool enabled,
                        bool visible)
{
    Log(QStringLiteral("AddMenuItem: ") + Name + QLatin1Char(',') + Caption + QLatin1Char(',') + VoiceCmd
        + QLatin1Char(',') + flagText(enabled) + QLatin1Char(',') + flagText(visible));
    if (!characterOrFail() || !MenuItems)
        return false;
    if (failed(oChar->commands().add(Name, Caption, VoiceCmd, enabled, visible)))
        return false;
    if (!MenuItems->Add(Name, Caption, VoiceCmd, enabled, visible, Name)) {
        SetLastError(runtime::keyInUse());
        return false;
    }
    return true;
}

bool Agent::RemoveMenuItem(const QString &Name)
{
    Log(QStringLiteral("RemoveMenuItem: ") + Name);
    if (!characterOrFail() || !MenuItems)
        return false;
    if (failed(oChar->commands().remove(Name)))
        return false;
    MenuItems->Remove(Name);
    return true;
}

void Agent::InitAgentCommands()
{
    Log(QStringLiteral("InitAgentCommands"));
    if (!characterOrFail())
        return;
    oChar->commands().removeAll();
    oChar->commands().setCaption(QStringLiteral("Tilvano-Menü"));
    MenuItems = std::make_unique<colMenu>();
    for (const BuiltInCommand &command : kBuiltInCommands)
        AddMenuItem(QString::fromUtf8(command.key), QString::fromUtf8(command.caption),
                    QString::fromUtf8(command.voice), true, true);
    if (oChar)
        oChar->commands().setDefaultCommand(QStringLiteral("stopall"));
}

void Agent::oAgentCtl_Command(const AgentUserInput &input)
{
    Log(QStringLiteral("oAgentCtl_Command: ") + input.name);
    // Computed wide: the service may report any 32-bit value.
    const qint64 confidence = input.confidence;
    const qint64 alternative = input.alt1Confidence;
    if (confidence <= kNotUnderstoodConfidence) {
        PlayAni(QStringLiteral("Confused"));
        QString answer = QStringLiteral("Ich habe dich nicht verstanden...");
        SpeakIt(answer);
        return;
    }
    if (!input.alt1Name.isEmpty() && qAbs(qAbs(confidence) - qAbs(alternative)) < kAmbiguousDistance) {
        PlayAni(QStringLiteral("Confused"));
        QString answer = QStringLiteral("Das Kommando war nicht deutlich genug...");
        SpeakIt(answer);
        return;
    }
    runCommand(input.name);
}

bool Agent::runCommand(const QString &name)
{
    if (name == QLatin1String("ACO")) {
        // The service's own command that opens its settings dialog.
        if (!oAgentCtl || !characterOrFail())
            return false;
        oAgentCtl->setPropertySheetVisible(true);
        if (failed(oChar->stop()) || !characterOrFail()
            || failed(oChar->gestureAt(oAgentCtl->propertySheetLeft(), oAgentCtl->propertySheetTop())))
            return false;
        QString answer = QStringLiteral("Aha, du willst also an die Einstellungen...");
        SpeakIt(answer);
        PlayAni(QStringLiteral("Explain"));
        QString advice = oAgentCtl && oAgentCtl->isSpeechInputEnabled()
                             ? QStringLiteral("Du kannst hier deinen Freund einstellen.")
                             : QStringLiteral("Wenn du die Spracheingabe aktivieren willst, musst du auf die "
                                              "Seite 'Sprache'...");
        SpeakIt(advice);
        return true;
    }
    if (name == QLatin1String("speakTxt")) {
        m_mainForm->setAgent(this);
        m_mainForm->show();
        m_mainForm->raise();
        return true;
    }
    if (name == QLatin1String("stopall"))
        return characterOrFail() && !failed(oChar->stopAll());
    if (name == QLatin1String("restpose")) {
        PlayAni(QStringLiteral("RestPose"));
        if (!characterOrFail())
            return false;
        oChar->setIdleOn(true);
        return true;
    }
    if (name == QLatin1String("randomanimation")) {
        PlayRandomAnimation();
        return true;
    }
    if (name == QLatin1String("macroeditor"))
        return startStoredProgram(storedValue(QStringLiteral("MacroEditor")));
    if (name == QLatin1String("help"))
        return startStoredProgram(storedValue(QStringLiteral("InstallPath")) + QStringLiteral("help/index.html"));
    QString menuName = name;
    emit MenuEvent(menuName);
    return true;
}

bool Agent::startStoredProgram(const QString &path)
{
    // An empty or stale path starts nothing; the user learns of it from the log.
    if (path.isEmpty() || !FileExists(path)) {
        SetLastError(ShellOpenError(2, writer::tilvano()));
        return false;
    }
    ErrorInfo error;
    if (!ShellOpen(path, SW_SHOWNORMAL, QString(), QString(), QStringLiteral("open"), error, writer::tilvano())) {
        SetLastError(error);
        return false;
    }
    return true;
}

} // namespace tilvano
