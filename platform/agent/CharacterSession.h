#pragma once

#include "AgentCommandList.h"
#include "AgentRequest.h"
#include "AgentSettings.h"
#include "AnimationPlayer.h"
#include "CharacterVoice.h"
#include "CommandMenu.h"
#include "DescribedCharacter.h"
#include "IdleScheduler.h"
#include "RequestQueue.h"
#include "SentencePlayer.h"

#include "common/AgentInterface.h"
#include "platform/acs/AcsFrameRenderer.h"
#include "platform/acs/AcsReader.h"

#include <QPointer>

#include <optional>

namespace tilvano::sound {
class AudioPlayer;
}
namespace tilvano::speech {
class SpeechSynthesizer;
}

namespace tilvano::agent {

class AgentClock;
class AgentTrace;
class Balloon;
class CharacterWindow;
class RandomSource;

// What a character stands on. The service owns all of it, and it outlives the character.
struct CharacterServices {
    AgentClock &clock;
    RandomSource &random;
    speech::SpeechSynthesizer &synthesizer;
    const AgentTrace &trace;
    const AgentSettings &settings; // changes reach the character through settingsChanged()
    IdleTiming idle;
};

// One loaded character: its request queue, its window and balloon, and its command menu; it
// has its animations played by an AnimationPlayer, its sentences said by a SentencePlayer and
// its idling timed by an IdleScheduler. Requests run one after another; when none is left and
// the character is visible it starts idling after a while. What happens to it is reported by
// signals.
class CharacterSession : public DescribedCharacter
{
    Q_OBJECT

public:
    CharacterSession(const QString &id, acs::AcsReader reader, const CharacterServices &services,
                     QObject *parent = nullptr);
    ~CharacterSession() override;

    ErrorInfo show(bool fast) override;
    ErrorInfo hide(bool fast) override;
    ErrorInfo speak(const QString &text, const QString &soundFile) override;
    ErrorInfo think(const QString &text) override;
    ErrorInfo play(const QString &animation) override;
    ErrorInfo moveTo(qint16 x, qint16 y, std::optional<qint32> speed) override;
    ErrorInfo gestureAt(qint16 x, qint16 y) override;
    ErrorInfo stop() override;
    ErrorInfo stopAll() override;

    // The visibility the queued requests will leave the character in: a client that asks right
    // after a hide was queued hears "hidden", so it queues a show before its next request.
    bool isVisible() const override;
    qint16 left() const override { return qint16(m_position.x()); }
    void setLeft(qint16 left) override;
    qint16 top() const override { return qint16(m_position.y()); }
    void setTop(qint16 top) override;
    qint16 width() const override { return qint16(m_size.width()); }
    void setWidth(qint16 width) override;
    qint16 height() const override { return qint16(m_size.height()); }
    void setHeight(qint16 height) override;

    qint32 speed() const override;
    qint32 pitch() const override;
    qint32 languageId() const override { return m_voice.languageId(); }
    ErrorInfo setLanguageId(qint32 languageId) override;
    QString ttsModeId() const override;
    ErrorInfo setTtsModeId(const QString &modeId) override;
    QString description() const override;
    QStringList animationNames() const override;
    bool idleOn() const override { return m_idleOn; }
    void setIdleOn(bool on) override;

    AgentCommands &commands() override { return m_commands; }

    const QString &id() const { return m_id; }
    QString name() const override;
    QString guid() const override;
    QString version() const override;
    QString extraData() const override;
    bool soundEffectsOn() const override;
    bool hasOtherClients() const override { return false; }
    QString srModeId() const override { return {}; } // no speech recognition here
    int originalWidth() const override { return m_reader.info().width; }
    int originalHeight() const override { return m_reader.info().height; }

    // The pop-up menu's lines, and picking one of them as the user would.
    QList<CommandMenuEntry> menuEntries() const;
    void chooseMenuEntry(const QString &name);
    // A character that several programs share has its menu made by the one that shares it
    // out (null: the character's own commands).
    void setMenuSource(CommandMenuSource *source) { m_menuSource = source; }

    // When several programs share the character, each request is owned by the program that
    // made it: requests made from now on belong to `owner`, and stop() and stopAll() end only
    // that owner's requests. Owner 0, the default, stands for the character's only program,
    // whose stop() and stopAll() end every request.
    void setRequestOwner(quint64 owner) { m_requestOwner = owner; }
    // The owner of the request that runs now; 0 when none runs.
    quint64 currentRequestOwner() const { return m_current ? m_current->owner : 0; }

    // For the service and for tests.
    const AgentCommandList &commandList() const { return m_commands; }
    AnimationPlayer &player() { return m_player; }
    CharacterWindow *window() const { return m_window; }
    Balloon *balloon() const { return m_balloon; }
    bool isBusy() const { return m_current.has_value(); }
    qsizetype waitingRequests() const { return m_queue.size(); }
    int idleLevel() const { return m_idle.level(); }
    std::optional<acs::MouthType> mouth() const { return m_sentences.mouth(); }
    const acs::AcsReader &reader() const { return m_reader; }
    void settingsChanged();

signals:
    void shown(qint16 cause);
    void hidden(qint16 cause);
    void moved(QPoint position, qint16 cause);
    void clicked(qint16 button, qint16 shift, QPoint position);
    void doubleClicked(qint16 button, qint16 shift, QPoint position);
    void balloonShown();
    void balloonHidden();
    void idleStarted();
    void commandChosen(const tilvano::AgentUserInput &input);

private:
    ErrorInfo enqueue(const AgentRequest &request, const QString &traceName, const QStringList &arguments);
    void startNext();
    void run(const AgentRequest &request);
    void finishCurrent(quint64 token);
    std::function<void()> guarded(quint64 token, std::function<void()> step);
    void abortActivity();
    bool ownsCurrentRequest() const { return m_requestOwner == 0 || m_current->owner == m_requestOwner; }

    void runShow(const AgentRequest &request, quint64 token);
    void runHide(const AgentRequest &request, quint64 token);
    void runSpeak(const AgentRequest &request, quint64 token, bool thought);
    void beginSentence(const AgentRequest &request, bool thought);
    void showSentence(const Sentence &sentence, bool thought);
    void sentenceEnded();
    void runMove(const AgentRequest &request, quint64 token);
    void walkStep(QPoint from, QPoint to, qint64 startMs, qint64 durationMs, quint64 token);
    void runGesture(const AgentRequest &request, quint64 token);

    void scheduleIdle();
    void playIdle(int level);

    QString stateAnimation(const QString &state);
    void showRestPose();
    void redraw();
    void playSound(int soundIndex);
    void hideBalloon();
    void setPosition(QPoint topLeft);
    void applyGeometry();
    QFont balloonFont() const;

    QString m_id;
    acs::AcsReader m_reader;
    AgentClock &m_clock;
    RandomSource &m_random;
    const AgentTrace &m_trace;
    const AgentSettings &m_settings;
    acs::AcsFrameRenderer m_renderer;
    AnimationPlayer m_player;
    SentencePlayer m_sentences;
    IdleScheduler m_idle;
    CharacterVoice m_voice;
    AgentCommandList m_commands;
    RequestQueue m_queue;
    std::optional<AgentRequest> m_current;
    quint64 m_token = 0;          // bumped whenever the current activity changes
    quint64 m_requestOwner = 0;
    CommandMenuSource *m_menuSource = nullptr;

    CharacterWindow *m_window = nullptr;
    Balloon *m_balloon = nullptr;
    sound::AudioPlayer *m_effectsAudio = nullptr;

    bool m_visible = false;
    QPoint m_position;
    QSize m_size;
    bool m_idleOn = true;
    bool m_revealWords = false; // the balloon shows the sentence word by word
};

} // namespace tilvano::agent
