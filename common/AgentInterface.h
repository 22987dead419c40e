#pragma once

#include "common/ErrorInfo.h"

#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace tilvano {

// The character service as the core sees it: a control that loads characters
// under identifiers and reports what happens to them, the character objects it
// hands out, and each character's command menu. The real service lives in
// platform/agent; tests use a recording double.
//
// Nothing here throws. Requests that can fail return an ErrorInfo whose number
// is 0 on success and otherwise a 32-bit code in the style of the classic
// component error codes, with a description.

// The file of a character (or a bare name in the character folder) is missing.
inline constexpr qint32 AgentErrorFileNotFound = qint32(0x80070002u);
// The identifier is already taken by a loaded character. Callers that reload
// under the same identifier carry on after it.
inline constexpr qint32 AgentErrorAlreadyLoaded = qint32(0x8004200Bu);

// What a spoken command or a chosen menu entry carries. A menu pick has the
// confidence 100 and no second candidate.
struct AgentUserInput {
    QString characterId;
    QString name;          // key of the chosen command
    qint32 confidence = 100;
    QString alt1Name;      // second-best voice match, empty when there is none
    qint32 alt1Confidence = 0;
};

// The command menu of one character; it is also what spoken commands match.
class AgentCommands : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual QString caption() const = 0;
    virtual void setCaption(const QString &caption) = 0;
    // Appends a command. Adding a name that is already there is an error.
    virtual ErrorInfo add(const QString &name, const QString &caption, const QString &voice, bool enabled,
                          bool visible) = 0;
    // Removing a name that is not there is an error.
    virtual ErrorInfo remove(const QString &name) = 0;
    virtual void removeAll() = 0;
    virtual QString defaultCommand() const = 0;
    virtual void setDefaultCommand(const QString &name) = 0;
};

// One loaded character. Requests (show, hide, speak, think, play, moveTo) queue
// and run one after another, so a hide issued right after a speak hides the
// character after the sentence. Positions and sizes are in pixels.
class AgentCharacter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // fast: without the show or hide animation.
    virtual ErrorInfo show(bool fast) = 0;
    virtual ErrorInfo hide(bool fast) = 0;
    // A text may start with the tags \Spd=n\, \Pit=n\, \Vol=n\, \Chr="..."\, \Ctx="..."\,
    // which set the voice for this sentence; "|" separates alternatives, one of
    // which is spoken. An empty text with a sound file lip-syncs to the file.
    virtual ErrorInfo speak(const QString &text, const QString &soundFile) = 0;
    virtual ErrorInfo think(const QString &text) = 0;
    virtual ErrorInfo play(const QString &animation) = 0;
    // speed: the walking speed in milliseconds; none = the service's default.
    virtual ErrorInfo moveTo(qint16 x, qint16 y, std::optional<qint32> speed) = 0;
    virtual ErrorInfo gestureAt(qint16 x, qint16 y) = 0;
    // Ends the current request / empties the whole queue.
    virtual ErrorInfo stop() = 0;
    virtual ErrorInfo stopAll() = 0;

    virtual bool isVisible() const = 0;
    virtual qint16 left() const = 0;
    virtual void setLeft(qint16 left) = 0;
    virtual qint16 top() const = 0;
    virtual void setTop(qint16 top) = 0;
    virtual qint16 width() const = 0;
    virtual void setWidth(qint16 width) = 0;
    virtual qint16 height() const = 0;
    virtual void setHeight(qint16 height) = 0;

    // The character's own voice defaults.
    virtual qint32 speed() const = 0;
    virtual qint32 pitch() const = 0;
    virtual qint32 languageId() const = 0;
    // Fails when no voice speaks the language.
    virtual ErrorInfo setLanguageId(qint32 languageId) = 0;
    virtual QString ttsModeId() const = 0;
    // An empty id selects the character's own voice; an unknown id fails.
    virtual ErrorInfo setTtsModeId(const QString &modeId) = 0;
    virtual QString description() const = 0;
    // In the order the character file lists them.
    virtual QStringList animationNames() const = 0;
    virtual bool idleOn() const = 0;
    virtual void setIdleOn(bool on) = 0;

    virtual AgentCommands &commands() = 0;
};

// The service's control. It owns its characters: a character object stays
// valid until its identifier is unloaded (or the control is destroyed).
// Events name the character's identifier and are delivered synchronously on
// the thread that owns the control.
class AgentControl : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // file: a full path or a bare file name looked up in the character folder.
    virtual ErrorInfo load(const QString &characterId, const QString &file) = 0;
    // Unloading an identifier that holds no character does nothing.
    virtual ErrorInfo unload(const QString &characterId) = 0;
    // Loads file under characterId in place of the character loaded there.
    // The new file is read first: when it cannot be loaded, the character
    // that was there stays as it was. Without a character it is load(). The
    // base version builds this from load and unload (reading the file twice);
    // a service that can swap a read file in does better.
    virtual ErrorInfo replace(const QString &characterId, const QString &file);
    // The loaded character, or null.
    virtual AgentCharacter *character(const QString &characterId) = 0;

    // The service's own settings dialog.
    virtual bool isPropertySheetVisible() const = 0;
    virtual void setPropertySheetVisible(bool visible) = 0;
    virtual qint16 propertySheetLeft() const = 0;
    virtual qint16 propertySheetTop() const = 0;

    virtual bool isSpeechInputEnabled() const = 0;
    virtual bool isConnected() const = 0;
    virtual bool isSuspended() const = 0;

signals:
    void clicked(const QString &characterId, qint16 button, qint16 shift, qint16 x, qint16 y);
    void doubleClicked(const QString &characterId, qint16 button, qint16 shift, qint16 x, qint16 y);
    // The user dragged the character, or a moveTo ended.
    void moved(const QString &characterId, qint16 x, qint16 y, qint16 cause);
    void shown(const QString &characterId, qint16 cause);
    void hidden(const QString &characterId, qint16 cause);
    void balloonShown(const QString &characterId);
    void balloonHidden(const QString &characterId);
    void idleStarted(const QString &characterId);
    // A global property of the service (for example the voice output) changed.
    void propertiesChanged();
    void commandChosen(const tilvano::AgentUserInput &input);
};

// Makes the control for a window: the in-process service, a client of the
// session's character server, or a test's double. Found like every stand-in in
// the ServiceRegistry: a program installs its default at start-up
// (ServiceRegistry::installDefault), a test or the host puts one of its own in
// place (ServiceRegistry::replace). Without either it makes none, and a factory
// gives null too when the service cannot start.
class AgentControlFactory {
public:
    using Make = std::function<std::unique_ptr<AgentControl>(QWidget *host)>;

    AgentControlFactory() = default;
    explicit AgentControlFactory(Make make) : m_make(std::move(make)) {}

    std::unique_ptr<AgentControl> create(QWidget *host) const { return m_make ? m_make(host) : nullptr; }

    // The factory the process uses.
    static AgentControlFactory &current();

private:
    Make m_make;
};

// The current factory's control for the window.
std::unique_ptr<AgentControl> createAgentControl(QWidget *host);

} // namespace tilvano

Q_DECLARE_METATYPE(tilvano::AgentUserInput)
