#pragma once

#include "Sentence.h"

#include "platform/acs/AcsModel.h"

#include <QObject>
#include <QString>

#include <optional>

namespace tilvano::sound {
class AudioPlayer;
}
namespace tilvano::speech {
class SpeechSynthesizer;
}

namespace tilvano::agent {

class AgentClock;
class RandomSource;

// The voice one sentence is said with.
struct SentenceVoice {
    bool audible = false;     // through the synthesizer; otherwise shown and mouthed only
    QString modeId;           // the voice mode
    qint32 languageId = 0;
    int wordsPerMinute = 150; // the character's own pace and pitch, before any tag
    int pitchHz = 100;
};

// Says one sentence at a time for a character: picks one of its "|" alternatives, has it
// synthesized (or plays the sound file it comes with, or just paces it), plays its audio and
// moves the mouth in time. What the character shows of it (the balloon) is the owner's
// business: the player reports the sentence, each word as it is reached and the mouth.
class SentencePlayer : public QObject
{
    Q_OBJECT

public:
    SentencePlayer(AgentClock &clock, RandomSource &random, speech::SpeechSynthesizer &synthesizer,
                   QObject *parent = nullptr);
    ~SentencePlayer() override;

    // Starts saying `text` (speech tags and alternatives allowed); a readable `soundFile`
    // is played instead of a synthesized voice. A thought is paced and moves no mouth.
    // A sentence still running is stopped first.
    void start(const QString &text, const QString &soundFile, bool thought, const SentenceVoice &voice);
    // Ends the sentence at once, without finished(); the mouth closes.
    void stop();

    bool isRunning() const { return m_synthesisId != 0 || m_running.has_value(); }
    // The mouth position now; none while it is closed.
    std::optional<acs::MouthType> mouth() const { return m_mouth; }

signals:
    // The sentence is laid out and starts now.
    void started(const tilvano::agent::Sentence &sentence, bool thought);
    // The balloon should show text.left(shownUpTo) by now.
    void wordReached(qsizetype shownUpTo);
    void mouthChanged();
    void finished();

private:
    void synthesized(int synthesisId, const speech::SpokenText &spoken);
    void run(const Sentence &sentence, bool thought);
    void step();
    void setMouth(std::optional<acs::MouthType> mouth);

    AgentClock &m_clock;
    RandomSource &m_random;
    speech::SpeechSynthesizer &m_synthesizer;
    sound::AudioPlayer *m_audio = nullptr; // made when a sentence first has audio

    struct Running {
        Sentence sentence;
        qint64 startMs = 0;
        qsizetype nextWord = 0;
        qsizetype nextMouth = 0;
        bool moveMouth = false;
    };
    std::optional<Running> m_running;
    int m_timer = 0;
    int m_synthesisId = 0;              // the synthesis being waited for
    speech::TaggedText m_synthesisText; // its text, to pace it when no voice can speak
    SentenceVoice m_synthesisVoice;
    std::optional<acs::MouthType> m_mouth;
};

} // namespace tilvano::agent
