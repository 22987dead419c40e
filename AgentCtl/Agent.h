#pragma once

#include "AgentCtl/colMenu.h"
#include "common/AgentInterface.h"
#include "common/ErrorInfo.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>

namespace tilvano {

class MainForm;

// The character as every client sees it (known to scripts as Kibo): loads one
// character file at a time under the identifier "somebody", speaks and thinks
// with the user's voice settings, plays animations, moves the character,
// keeps its menu, restores and stores its state, and passes the character's
// events on to its clients.
//
// Members are listed in the order clients have always reached them by;
// operations are invocable and values are properties, so scripts and D-Bus
// find them by name. Every operation traps its own failures: it records them
// as LastError (and in the log) and returns false or an empty result. Nothing
// is thrown to the caller.
class Agent : public QObject {
    Q_OBJECT
    Q_PROPERTY(tilvano::ErrorInfo LastError READ LastError WRITE putLastError)
    Q_PROPERTY(qint16 speed READ speed WRITE setSpeed)
    Q_PROPERTY(qint16 Pitch READ Pitch WRITE setPitch)
    Q_PROPERTY(qint32 LanguageID READ LanguageID WRITE setLanguageID)
    Q_PROPERTY(QString TTSModeID READ TTSModeID WRITE setTTSModeID)
    Q_PROPERTY(QStringList AnimationNames READ AnimationNames)
    Q_PROPERTY(bool FastShowHide READ FastShowHide WRITE setFastShowHide)
    Q_PROPERTY(bool visible READ visible)
    Q_PROPERTY(qint16 Width READ Width WRITE setWidth)
    Q_PROPERTY(qint16 Height READ Height WRITE setHeight)
    Q_PROPERTY(QVariant Description READ Description)
    Q_PROPERTY(qint32 Volume READ Volume WRITE setVolume)
    Q_PROPERTY(QString VoiceChar READ VoiceChar WRITE setVoiceChar)
    Q_PROPERTY(QString VoiceContext READ VoiceContext WRITE setVoiceContext)
    Q_PROPERTY(bool HideAfterAnimation READ HideAfterAnimation WRITE setHideAfterAnimation)
    Q_PROPERTY(QString MenuCaption READ MenuCaption WRITE setMenuCaption)

public:
    explicit Agent(QObject *parent = nullptr);
    ~Agent() override;

    // 1
    ErrorInfo LastError() const { return m_lastError; }
    void putLastError(const ErrorInfo &error) { m_lastError = error; }
    // 2: sFile may come back as "Genie.acs" when the default character is missing.
    Q_INVOKABLE QVariant LoadChar(QString &sFile);
    // 3: txt comes back as spoken: changed by EvSpeak handlers and with the placeholders replaced.
    Q_INVOKABLE bool SpeakIt(QString &txt);
    // 4
    Q_INVOKABLE bool SpeakWave(const QString &FileName);
    // 5
    Q_INVOKABLE bool PlayAni(const QString &aniName);
    // 6, 7: -1 (any negative value) leaves the voice's own speed or pitch.
    qint16 speed() const { return m_speed; }
    void setSpeed(qint16 value) { m_speed = value; }
    qint16 Pitch() const { return m_pitch; }
    void setPitch(qint16 value) { m_pitch = value; }
    // 8: reads the character; setting it keeps the value for later loads too.
    qint32 LanguageID() const;
    void setLanguageID(qint32 value);
    // 9
    QString TTSModeID() const;
    void setTTSModeID(const QString &value);
    // 10
    QStringList AnimationNames();
    // 11: Fast given: with or without the animation; not given: FastShowHide decides.
    Q_INVOKABLE QVariant Show(const QVariant &Fast = QVariant());
    // 12
    bool FastShowHide() const { return m_fastShowHide; }
    void setFastShowHide(bool value) { m_fastShowHide = value; }
    // 13
    Q_INVOKABLE QVariant Hide();
    // 14
    Q_INVOKABLE QVariant StopAll();
    // 15
    bool visible() const;
    // 16, 17
    qint16 Width() const;
    void setWidth(qint16 value);
    qint16 Height() const;
    void setHeight(qint16 value);
    // 18
    QVariant Description() const;
    // 19: loads the character and settings of the previous run, once.
    Q_INVOKABLE bool InitLastAgent();
    // 20
    Q_INVOKABLE void SaveAll();
    // 21: kept for clients that call it; there is nothing to restore.
    Q_INVOKABLE void RestoreDefaults();
    // 22, 23, 24: -1 or empty leave the voice's own volume, character and context.
    qint32 Volume() const { return m_volume; }
    void setVolume(qint32 value) { m_volume = value; }
    QString VoiceChar() const { return m_voiceChar; }
    void setVoiceChar(const QString &value) { m_voiceChar = value; }
    QString VoiceContext() const { return m_voiceContext; }
    void setVoiceContext(const QString &value) { m_voiceContext = value; }
    // 25: hide the character after every sentence or thought.
    bool HideAfterAnimation() const { return m_hideAfterAnimation; }
    void setHideAfterAnimation(bool value) { m_hideAfterAnimation = value; }
    // 26: the result is always null.
    Q_INVOKABLE QObject *GestureAt(qint16 x, qint16 y);
    // 27, 28: entries of the character's menu that survive a change of character.
    Q_INVOKABLE bool AddMenuItem(const QString &Name, const QString &Caption, const QString &VoiceCmd,
                                 bool enabled = true, bool visible = true);
    Q_INVOKABLE bool RemoveMenuItem(const QString &Name);
    // 29: txt comes back as thought, changed by EvSpeak handlers.
    Q_INVOKABLE void Think(QString &txt);
    // 30: the names of the stored macros in slot order; empty (with LastError)
    // when two of them share a name.
    Q_INVOKABLE QStringList MacroNames();
    // 31: false for an unknown name, for a failing script and for a match in
    // the slot past the last macro (which still runs).
    Q_INVOKABLE bool RunMacroByName(const QString &sName);
    // 32: sMacroText comes back as it was run: line breaks restored, single
    // quotes doubled.
    Q_INVOKABLE bool RunMacroText(QString &sMacroText);
    // 33: does not show the character; without speed the service's own pace.
    Q_INVOKABLE void MoveTo(qint16 left, qint16 top, const QVariant &speed = QVariant());
    // 34
    QString MenuCaption() const;
    void setMenuCaption(const QString &value);

    // Notes the failures of the calls made while it lives, recorded or shown
    // in the error box, for a caller that wants them back; the innermost
    // record of nested ones gets them. With ErrorBoxes::RecordedInstead the
    // failures that would show the error box (those of LoadChar) are recorded
    // as LastError instead: for callers that cannot answer a box, such as
    // programs on the session bus.
    enum class ErrorBoxes { Shown, RecordedInstead };
    class CallRecord {
    public:
        CallRecord(Agent &agent, ErrorBoxes boxes);
        ~CallRecord();
        CallRecord(const CallRecord &) = delete;
        CallRecord &operator=(const CallRecord &) = delete;

        // The last failure while this record was the innermost one.
        const std::optional<ErrorInfo> &failure() const { return m_failure; }

    private:
        friend class Agent;
        QPointer<Agent> m_agent;
        CallRecord *m_outer;
        ErrorBoxes m_boxes;
        std::optional<ErrorInfo> m_failure;
    };

    // The one entry point for the service's events: the event's name and its
    // parameters by position. Unknown names are ignored.
    void DispatchControlEvent(const QString &eventName, const QVariantList &parameters);

    // The read-text window that hosts the service's control.
    MainForm *readTextWindow() const { return m_mainForm.get(); }
    // The file the current character came from; empty before the first load.
    QString CharFile() const { return m_charFile; }

signals:
    // Parameters are references: a handler may change them; EvSpeak's changed
    // text is what gets spoken. Delivered synchronously (direct connections).
    void MenuEvent(QString &MenuName);
    void ShowEvent(qint16 &Cause);
    void HideEvent(qint16 &Cause);
    void ClickEvent(qint16 &Button, qint16 &Shift, qint16 &x, qint16 &y);
    void DblClickEvent(qint16 &Button, qint16 &Shift, qint16 &x, qint16 &y);
    void MoveEvent(qint16 &x, qint16 &y, qint16 &Cause);
    void BalloonShowEvent();
    void BalloonHideEvent();
    void EvSpeak(QString &txt);
    void evPropertyChange();
    void evIdleStart();

private:
    void Log(const QString &message) const;
    void SetLastError(const ErrorInfo &error);
    // LoadChar's failures: the error box, or LastError for a caller that
    // gets its failures back instead (see CallRecord).
    void reportLoadFailure(const ErrorInfo &error);
    QString BuildSpeechTags() const;
    // Shows the character when it is hidden, with FastShowHide.
    ErrorInfo showIfHidden();
    // With HideAfterAnimation: queues the hide behind what was just asked for.
    bool hideAfterwards();
    // Records a failed character request; true when there was one.
    bool failed(const ErrorInfo &result);
    // The loaded character, or null after recording that there is none.
    AgentCharacter *characterOrFail();
    // LoadChar's own rules for a failed step: true when loading goes on.
    bool loadStepMayContinue(const ErrorInfo &result);
    bool applyStoredSettings();

    // The macro runner.
    bool runScript(const QString &scriptText);

    // Menu and voice commands.
    void InitAgentCommands();
    void oAgentCtl_Command(const AgentUserInput &input);
    bool runCommand(const QString &name);
    bool startStoredProgram(const QString &path);

    // Event handlers, each logging first and acting for "somebody" only.
    void connectControlEvents();
    void oAgentCtl_BalloonHide(const QString &characterId);
    void oAgentCtl_BalloonShow(const QString &characterId);
    void oAgentCtl_Click(const QString &characterId, qint16 button, qint16 shift, qint16 x, qint16 y);
    void oAgentCtl_DblClick(const QString &characterId, qint16 button, qint16 shift, qint16 x, qint16 y);
    void oAgentCtl_IdleStart(const QString &characterId);
    void oAgentCtl_Move(const QString &characterId, qint16 x, qint16 y, qint16 cause);
    void oAgentCtl_Hide(const QString &characterId, qint16 cause);
    void oAgentCtl_Show(const QString &characterId, qint16 cause);
    void PlayRandomAnimation();

    ErrorInfo m_lastError;
    std::unique_ptr<MainForm> m_mainForm;
    AgentControl *oAgentCtl = nullptr; // owned by the window
    QPointer<AgentCharacter> oChar;
    std::unique_ptr<colMenu> MenuItems;
    QString CharacterID;
    QString m_charFile;
    qint16 m_speed = 0;
    qint16 m_pitch = 0;
    qint32 m_volume = 0;
    QString m_voiceChar;
    QString m_voiceContext;
    qint32 m_languageId = 0;
    bool m_fastShowHide = false;
    bool m_hideAfterAnimation = false;
    int m_macroNesting = 0; // macros started from inside a running macro
    CallRecord *m_callRecord = nullptr; // the innermost one, if any
};

} // namespace tilvano
