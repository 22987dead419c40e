#include "Sentence.h"

#include "platform/sound/Loudness.h"

#include <QRegularExpression>

#include <algorithm>

namespace tilvano::agent {

namespace {
constexpr int MouthStepMs = 100;       // text-only and sound-driven mouths move at ~10 Hz
constexpr int SlowestWordsPerMinute = 30;
constexpr int FastestWordsPerMinute = 600;

struct WordSpan {
    qsizetype start;
    qsizetype end;
};

QList<WordSpan> wordsOf(const QString &text)
{
    static const QRegularExpression word(QStringLiteral("\\S+"));
    QList<WordSpan> spans;
    for (auto it = word.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        spans.append(WordSpan{match.capturedStart(), match.capturedEnd()});
    }
    return spans;
}

void closeMouthAt(Sentence &sentence, qint64 timeMs)
{
    sentence.mouth.append(Sentence::MouthCue{timeMs, acs::MouthType::Closed});
}
} // namespace

Sentence Sentence::paced(const speech::TaggedText &tagged, int wordsPerMinute, bool moveMouth)
{
    Sentence sentence;
    sentence.text = tagged.text.trimmed();
    const int pace = std::clamp(tagged.leadingSettings().wordsPerMinute.value_or(wordsPerMinute),
                                SlowestWordsPerMinute, FastestWordsPerMinute);
    const qint64 msPerWord = 60000 / pace;
    const QList<WordSpan> spans = wordsOf(sentence.text);
    for (qsizetype i = 0; i < spans.size(); ++i)
        sentence.words.append(Word{spans.at(i).end, i * msPerWord});
    sentence.durationMs = spans.size() * msPerWord;
    if (moveMouth) {
        static constexpr acs::MouthType cycle[] = {acs::MouthType::Medium, acs::MouthType::WideOpen2,
                                                   acs::MouthType::Narrow, acs::MouthType::WideOpen1};
        int step = 0;
        for (qint64 t = 0; t < sentence.durationMs; t += MouthStepMs, ++step)
            sentence.mouth.append(MouthCue{t, cycle[step % 4]});
    }
    closeMouthAt(sentence, sentence.durationMs);
    return sentence;
}

Sentence Sentence::spoken(const speech::SpokenText &spoken)
{
    Sentence sentence;
    sentence.text = spoken.text;
    for (const speech::WordEvent &word : spoken.words)
        sentence.words.append(Word{std::min(word.position + word.length, spoken.text.size()), word.timeMs});
    for (const speech::MouthEvent &cue : spoken.mouth)
        sentence.mouth.append(MouthCue{cue.timeMs, acs::MouthType(int(cue.shape))});
    qint64 duration = spoken.audio.durationMs();
    if (!sentence.words.isEmpty())
        duration = std::max(duration, sentence.words.last().timeMs);
    sentence.durationMs = duration;
    if (!spoken.audio.isEmpty())
        sentence.audio = spoken.audio;
    // Whatever the engine reported, the balloon ends up showing the whole text.
    sentence.words.append(Word{sentence.text.size(), duration});
    closeMouthAt(sentence, duration);
    return sentence;
}

Sentence Sentence::lipSynced(const sound::PcmAudio &audio, const speech::TaggedText &tagged)
{
    Sentence sentence;
    sentence.text = tagged.text.trimmed();
    sentence.durationMs = audio.durationMs();
    sentence.audio = audio;
    const QList<WordSpan> spans = wordsOf(sentence.text);
    for (qsizetype i = 0; i < spans.size(); ++i)
        sentence.words.append(Word{spans.at(i).end, sentence.durationMs * i / spans.size()});
    for (qint64 t = 0; t < sentence.durationMs; t += MouthStepMs) {
        const double loudness = sound::loudnessAt(audio, t + MouthStepMs / 2);
        acs::MouthType shape = acs::MouthType::Closed;
        if (loudness > 0.3)
            shape = acs::MouthType::WideOpen3;
        else if (loudness > 0.12)
            shape = acs::MouthType::WideOpen1;
        else if (loudness > 0.03)
            shape = acs::MouthType::Medium;
        sentence.mouth.append(MouthCue{t, shape});
    }
    closeMouthAt(sentence, sentence.durationMs);
    return sentence;
}

} // namespace tilvano::agent
