#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace tilvano {
class Agent;
}

namespace tilvano::host {

class BusMacroQueue;
class DialogGate;

// The character's face on the session bus: every operation, property and event
// of Agent under the interface org.lorvat.Tilvano.Agent. Text that Agent takes
// by reference cannot travel back through a bus call, so each such operation
// takes the text by value and, where the caller may want it, returns the text
// as Agent left it (LoadChar: the file actually loaded; Think: the thought).
// LastError is split into three read-only properties.
//
// A program on the bus cannot answer a box, and a box shown inside a call
// lets the next call in, and with it the next box. So a call never shows one:
// a failure the character records during the call (LoadChar's included, which
// shows the error box to local callers) is answered as an error reply and kept
// as LastError. Macros are run by a queue after the call was taken, one at a
// time; their boxes appear once their caller has its answer.
//
// Exported as it is (registerObject with the Export flags): it is its own
// object on the bus, so that it can answer calls itself.
class AgentDBusAdaptor : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.lorvat.Tilvano.Agent")
    Q_PROPERTY(int LastErrorNumber READ LastErrorNumber)
    Q_PROPERTY(QString LastErrorSource READ LastErrorSource)
    Q_PROPERTY(QString LastErrorDescription READ LastErrorDescription)
    Q_PROPERTY(qint16 speed READ speed WRITE setSpeed)
    Q_PROPERTY(qint16 Pitch READ Pitch WRITE setPitch)
    Q_PROPERTY(qint32 LanguageID READ LanguageID WRITE setLanguageID)
    Q_PROPERTY(QString TTSModeID READ TTSModeID WRITE setTTSModeID)
    Q_PROPERTY(QStringList AnimationNames READ AnimationNames)
    Q_PROPERTY(bool FastShowHide READ FastShowHide WRITE setFastShowHide)
    Q_PROPERTY(bool visible READ visible)
    Q_PROPERTY(qint16 Width READ Width WRITE setWidth)
    Q_PROPERTY(qint16 Height READ Height WRITE setHeight)
    Q_PROPERTY(QString Description READ Description)
    Q_PROPERTY(qint32 Volume READ Volume WRITE setVolume)
    Q_PROPERTY(QString VoiceChar READ VoiceChar WRITE setVoiceChar)
    Q_PROPERTY(QString VoiceContext READ VoiceContext WRITE setVoiceContext)
    Q_PROPERTY(bool HideAfterAnimation READ HideAfterAnimation WRITE setHideAfterAnimation)
    Q_PROPERTY(QString MenuCaption READ MenuCaption WRITE setMenuCaption)

public:
    // Becomes a child of the agent. With a gate, no box is shown while a call
    // is served, and a macro's caller is answered before the macro's first box.
    explicit AgentDBusAdaptor(Agent *agent, DialogGate *gate = nullptr);
    ~AgentDBusAdaptor() override;

    // The flags to export this object with.
    static QDBusConnection::RegisterOptions exportFlags();

    // The macros that callers on the bus asked for and that did not run yet.
    BusMacroQueue &macroQueue() const { return *m_macros; }

    // Starts passing the agent's events on as bus signals. Call it after every
    // other subscriber has connected: handlers may change an event's text, and
    // the bus must see the text as it was finally spoken.
    void relayEvents();

    int LastErrorNumber() const;
    QString LastErrorSource() const;
    QString LastErrorDescription() const;
    qint16 speed() const;
    void setSpeed(qint16 value);
    qint16 Pitch() const;
    void setPitch(qint16 value);
    qint32 LanguageID() const;
    void setLanguageID(qint32 value);
    QString TTSModeID() const;
    void setTTSModeID(const QString &value);
    QStringList AnimationNames() const;
    bool FastShowHide() const;
    void setFastShowHide(bool value);
    bool visible() const;
    qint16 Width() const;
    void setWidth(qint16 value);
    qint16 Height() const;
    void setHeight(qint16 value);
    QString Description() const;
    qint32 Volume() const;
    void setVolume(qint32 value);
    QString VoiceChar() const;
    void setVoiceChar(const QString &value);
    QString VoiceContext() const;
    void setVoiceContext(const QString &value);
    bool HideAfterAnimation() const;
    void setHideAfterAnimation(bool value);
    QString MenuCaption() const;
    void setMenuCaption(const QString &value);

public slots:
    QString LoadChar(const QString &file);
    bool SpeakIt(const QString &text);
    bool SpeakWave(const QString &fileName);
    bool PlayAni(const QString &animationName);
    // Show with the FastShowHide setting, or ShowFast to say it per call.
    void Show();
    void ShowFast(bool fast);
    void Hide();
    void StopAll();
    bool InitLastAgent();
    void SaveAll();
    void RestoreDefaults();
    void GestureAt(qint16 x, qint16 y);
    bool AddMenuItem(const QString &name, const QString &caption, const QString &voiceCommand, bool enabled,
                     bool visible);
    bool RemoveMenuItem(const QString &name);
    QString Think(const QString &text);
    QStringList MacroNames();
    bool RunMacroByName(const QString &name);
    bool RunMacroText(const QString &macroText);
    // MoveTo at the service's own pace, or MoveToAtSpeed with a speed.
    void MoveTo(qint16 left, qint16 top);
    void MoveToAtSpeed(qint16 left, qint16 top, qint32 speed);
    void ClearLastError();

signals:
    void MenuEvent(const QString &MenuName);
    void ShowEvent(qint16 Cause);
    void HideEvent(qint16 Cause);
    void ClickEvent(qint16 Button, qint16 Shift, qint16 x, qint16 y);
    void DblClickEvent(qint16 Button, qint16 Shift, qint16 x, qint16 y);
    void MoveEvent(qint16 x, qint16 y, qint16 Cause);
    void BalloonShowEvent();
    void BalloonHideEvent();
    void EvSpeak(const QString &txt);
    void evPropertyChange();
    void evIdleStart();

private:
    // Runs an operation for a caller: no box meanwhile, and a failure the
    // character records is the caller's error reply.
    template<typename Operation>
    auto serve(Operation operation);
    // A caller on the bus waits for its macro in the queue; a direct caller
    // (in the same process) has it run at once.
    bool runMacro(const std::function<bool()> &run);

    Agent *m_agent;
    DialogGate *m_gate;
    BusMacroQueue *m_macros;
    bool m_relaying = false;
};

} // namespace tilvano::host
