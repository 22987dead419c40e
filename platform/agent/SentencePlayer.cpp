#include "SentencePlayer.h"

#include "AgentClock.h"
#include "RandomSource.h"

#include "platform/sound/AudioPlayer.h"
#include "platform/speech/SpeechSynthesizer.h"
#include "platform/speech/SpeechTagParser.h"
#include "system/WindowsDirectory.h"

#include <algorithm>

namespace tilvano::agent {

namespace {
constexpr qint64 MaxSoundFileBytes = 64 * 1024 * 1024;

// The sound file a sentence comes with, decoded; none when it cannot be played.
std::optional<sound::PcmAudio> readSoundFile(const QString &soundFile)
{
    QString path = soundFile;
    // A bare name is one of the system's sounds.
    if (!path.contains(QLatin1Char('/')))
        path = WindowsDirectory::path() + QLatin1Char('/') + path;
    return sound::readWaveFile(path, MaxSoundFileBytes);
}
} // namespace

SentencePlayer::SentencePlayer(AgentClock &clock, RandomSource &random, speech::SpeechSynthesizer &synthesizer,
                               QObject *parent)
    : QObject(parent)
    , m_clock(clock)
    , m_random(random)
    , m_synthesizer(synthesizer)
{
    connect(&m_synthesizer, &speech::SpeechSynthesizer::finished, this, &SentencePlayer::synthesized);
}

SentencePlayer::~SentencePlayer()
{
    if (m_synthesisId)
        m_synthesizer.cancel(m_synthesisId);
    m_clock.cancel(m_timer);
}

void SentencePlayer::start(const QString &text, const QString &soundFile, bool thought, const SentenceVoice &voice)
{
    stop();
    // The tags are read here, once; every later step works on what they left.
    const QList<speech::TaggedText> alternatives = speech::SpeechTagParser::parseAlternatives(text);
    const speech::TaggedText said =
        alternatives.size() > 1 ? alternatives.at(m_random.below(int(alternatives.size()))) : alternatives.first();
    if (!thought && !soundFile.isEmpty()) {
        if (const std::optional<sound::PcmAudio> audio = readSoundFile(soundFile)) {
            run(Sentence::lipSynced(*audio, said), false);
            return;
        }
        // An unreadable sound file leaves the text to be spoken as usual.
    }
    if (!thought && voice.audible && !said.isSilent()) {
        speech::SpeechRequest request;
        request.text = said;
        request.modeId = voice.modeId;
        request.languageId = voice.languageId;
        request.defaults.wordsPerMinute = voice.wordsPerMinute;
        request.defaults.pitchHz = voice.pitchHz;
        m_synthesisText = said;
        m_synthesisVoice = voice;
        m_synthesisId = m_synthesizer.speak(request);
        return; // goes on in synthesized()
    }
    run(Sentence::paced(said, voice.wordsPerMinute, !thought), thought);
}

void SentencePlayer::synthesized(int synthesisId, const speech::SpokenText &spoken)
{
    if (synthesisId != m_synthesisId)
        return; // a synthesis given up on, or another character's
    m_synthesisId = 0;
    if (spoken.cancelled)
        return;
    // No voice could speak it: the balloon alone still says it, at the usual pace.
    run(spoken.error.isEmpty() ? Sentence::spoken(spoken)
                               : Sentence::paced(m_synthesisText, m_synthesisVoice.wordsPerMinute, true),
        false);
}

void SentencePlayer::run(const Sentence &sentence, bool thought)
{
    m_running = Running{sentence, 0, 0, 0, !thought};
    emit started(sentence, thought);
    if (!m_running)
        return; // stopped by whoever heard of the start
    if (sentence.audio) {
        if (!m_audio)
            m_audio = new sound::AudioPlayer(this);
        m_audio->play(*sentence.audio);
    }
    m_running->startMs = m_clock.nowMs();
    step();
}

void SentencePlayer::stop()
{
    if (m_synthesisId) {
        m_synthesizer.cancel(m_synthesisId);
        m_synthesisId = 0;
    }
    m_clock.cancel(m_timer);
    m_timer = 0;
    if (m_audio)
        m_audio->stop();
    m_running.reset();
    setMouth(std::nullopt);
}

void SentencePlayer::setMouth(std::optional<acs::MouthType> mouth)
{
    if (mouth == m_mouth)
        return;
    m_mouth = mouth;
    emit mouthChanged();
}

void SentencePlayer::step()
{
    m_timer = 0;
    if (!m_running)
        return;
    Running &run = *m_running;
    const Sentence &sentence = run.sentence;
    const qint64 elapsed = m_clock.nowMs() - run.startMs;
    // One pending timer per sentence, whatever its length: each step handles what is due
    // and waits for the next word, mouth change or the end.
    while (run.nextWord < sentence.words.size() && sentence.words.at(run.nextWord).timeMs <= elapsed) {
        emit wordReached(sentence.words.at(run.nextWord).shownUpTo);
        if (!m_running)
            return;
        ++run.nextWord;
    }
    std::optional<acs::MouthType> mouth = m_mouth;
    while (run.nextMouth < sentence.mouth.size() && sentence.mouth.at(run.nextMouth).timeMs <= elapsed) {
        if (run.moveMouth) {
            const acs::MouthType shape = sentence.mouth.at(run.nextMouth).shape;
            mouth = shape == acs::MouthType::Closed ? std::nullopt : std::optional(shape);
        }
        ++run.nextMouth;
    }
    setMouth(mouth);
    if (!m_running)
        return;
    if (elapsed >= sentence.durationMs) {
        m_running.reset();
        setMouth(std::nullopt);
        emit finished();
        return;
    }
    qint64 next = sentence.durationMs;
    if (run.nextWord < sentence.words.size())
        next = std::min(next, sentence.words.at(run.nextWord).timeMs);
    if (run.nextMouth < sentence.mouth.size())
        next = std::min(next, sentence.mouth.at(run.nextMouth).timeMs);
    m_timer = m_clock.callAfter(next - elapsed, this, [this]() { step(); });
}

} // namespace tilvano::agent
