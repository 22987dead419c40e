#pragma once

#include "common/AgentInterface.h"
#include "support/RecordingAgentCommands.h"

#include <QHash>
#include <QStringList>

#include <functional>
#include <optional>

namespace tilvano::test {

// What a freshly loaded character reports about itself.
struct CharacterProfile {
    qint16 left = 0, top = 0, width = 128, height = 128;
    qint32 speed = 150, pitch = 100, languageId = 0x0407;
    QString ttsModeId; // the character's own voice; empty: it has none
    // The voice mode ids there are (Stefan and Anna), as the service reports them.
    QStringList voices = {QStringLiteral("{3A1FB761-A92B-11D1-B17B-0020AFED142E}"),
                          QStringLiteral("{3A1FB760-A92B-11D1-B17B-0020AFED142E}")};
    QString description = QStringLiteral("Ein Testfreund");
    QStringList animationNames = {QStringLiteral("Show"), QStringLiteral("Hide"), QStringLiteral("Blink"),
                                  QStringLiteral("Read"), QStringLiteral("Wave")};
};

// A character that performs nothing: every request and every change is
// appended to the shared call log as "<id>.<Request>(<arguments>)", and any
// request can be told to fail with a code. Like the real service it reports
// the visibility its requests will leave it in at once, and keeps what they
// will raise (Show, Hide, Move, balloons) until runQueuedRequests(), which
// plays the part of time passing. As there, a request made while none waits
// starts at once: a show (or a fast hide) has happened before StopAll can
// take it back, though its event still comes with the others.
class RecordingAgentCharacter : public AgentCharacter {
    Q_OBJECT
public:
    RecordingAgentCharacter(const QString &characterId, const CharacterProfile &profile, QStringList *log,
                            AgentControl *events, QObject *parent = nullptr);

    ErrorInfo show(bool fast) override;
    ErrorInfo hide(bool fast) override;
    ErrorInfo speak(const QString &text, const QString &soundFile) override;
    ErrorInfo think(const QString &text) override;
    ErrorInfo play(const QString &animation) override;
    ErrorInfo moveTo(qint16 x, qint16 y, std::optional<qint32> speed) override;
    ErrorInfo gestureAt(qint16 x, qint16 y) override;
    ErrorInfo stop() override;
    ErrorInfo stopAll() override;

    bool isVisible() const override { return m_visibleWhenDone; }
    qint16 left() const override { return m_profile.left; }
    void setLeft(qint16 left) override;
    qint16 top() const override { return m_profile.top; }
    void setTop(qint16 top) override;
    qint16 width() const override { return m_profile.width; }
    void setWidth(qint16 width) override;
    qint16 height() const override { return m_profile.height; }
    void setHeight(qint16 height) override;

    qint32 speed() const override { return m_profile.speed; }
    qint32 pitch() const override { return m_profile.pitch; }
    qint32 languageId() const override { return m_profile.languageId; }
    ErrorInfo setLanguageId(qint32 languageId) override;
    QString ttsModeId() const override { return m_chosenVoice.isEmpty() ? m_profile.ttsModeId : m_chosenVoice; }
    ErrorInfo setTtsModeId(const QString &modeId) override;
    QString description() const override { return m_profile.description; }
    QStringList animationNames() const override { return m_profile.animationNames; }
    bool idleOn() const override { return m_idleOn; }
    void setIdleOn(bool on) override;

    RecordingAgentCommands &commands() override { return m_commands; }

    // The request of this name ("Speak", "Show", "LanguageID", ...) fails with `code` from now on.
    void failRequest(const QString &request, qint32 code);
    // Puts the character somewhere without recording it, as a user's drag would.
    void placeAt(qint16 left, qint16 top) { m_profile.left = left; m_profile.top = top; }
    // Shown or hidden already, with nothing to report.
    void setVisibleState(bool visible) { m_visibleWhenDone = m_visibleNow = visible; }
    // Everything requested so far runs to its end: the events come now, in order.
    void runQueuedRequests();

private:
    ErrorInfo request(const QString &name, const QStringList &arguments);
    // A request's change of state (true when something changed) and what it raises then.
    struct Queued {
        std::function<bool()> change;
        std::function<void()> report;
        bool startsAtOnce = false;
        std::optional<bool> changed; // set once the change is made
    };
    void queue(std::function<bool()> change, std::function<void()> report, bool startsAtOnce = false);
    void sayInBalloon(const QString &text);

    QString m_characterId;
    CharacterProfile m_profile;
    QStringList *m_log;
    AgentControl *m_events;
    RecordingAgentCommands m_commands;
    QHash<QString, qint32> m_failures;
    bool m_visibleWhenDone = false; // what the character reports
    bool m_visibleNow = false;      // where the requests run so far have left it
    QList<Queued> m_queued;
    QString m_chosenVoice;
    bool m_idleOn = true;
};

} // namespace tilvano::test
