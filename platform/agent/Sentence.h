#pragma once

#include "platform/acs/AcsModel.h"
#include "platform/sound/WaveAudio.h"
#include "platform/speech/SpeechTypes.h"

#include <QList>
#include <QString>

#include <optional>

namespace tilvano::agent {

// One thing a character says or thinks, laid out in time: what the balloon shows and when
// each word appears, how the mouth moves, and the audio to play, if any.
struct Sentence {
    struct Word {
        qsizetype shownUpTo = 0; // the balloon shows text.left(shownUpTo) from timeMs on
        qint64 timeMs = 0;
    };
    struct MouthCue {
        qint64 timeMs = 0;
        acs::MouthType shape = acs::MouthType::Closed;
    };

    QString text;                       // as shown: no tags
    QList<Word> words;
    QList<MouthCue> mouth;              // the last cue closes the mouth
    qint64 durationMs = 0;
    std::optional<sound::PcmAudio> audio;

    // Text shown (and mouthed, when moveMouth) at the pace of wordsPerMinute, unless a tag
    // in front sets another speed.
    static Sentence paced(const speech::TaggedText &tagged, int wordsPerMinute, bool moveMouth);
    // What the speech engine produced.
    static Sentence spoken(const speech::SpokenText &spoken);
    // A sound file with optional text: the mouth follows the sound's loudness, the words are
    // spread over its length.
    static Sentence lipSynced(const sound::PcmAudio &audio, const speech::TaggedText &tagged);
};

} // namespace tilvano::agent
