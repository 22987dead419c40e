#pragma once

#include "platform/sound/WaveAudio.h"
#include "platform/speech/MouthShape.h"
#include "platform/speech/SpeechSettings.h"

#include <QList>
#include <QString>

namespace tilvano::speech {

// A stretch of the clean text spoken with one set of settings.
struct SpeechSegment {
    qsizetype start = 0;  // index into TaggedText::text
    qsizetype length = 0;
    SpeechSettings settings;
    int pauseBeforeMs = 0; // from \Pau=n\ tags in front of it
};

// A text with its speech tags taken out (SpeechTagParser makes it), ready to be shown and
// spoken: the tags are read once, where the text comes in.
struct TaggedText {
    QString text;                  // what is spoken and shown: every recognised tag removed
    QList<SpeechSegment> segments; // cover `text` in order; never empty
    // The settings the text starts with (those of the tags in front of it).
    SpeechSettings leadingSettings() const;
    // Nothing but blanks would be said.
    bool isSilent() const { return text.trimmed().isEmpty(); }
};

struct SpeechRequest {
    TaggedText text;     // what to say, tags already read
    QString modeId;      // a voice mode id; empty to choose by language
    int languageId = 0;  // Windows LCID used when no mode id names a voice
    SpeechSettings defaults; // the character's own speed, pitch, ... before any tag
    qint64 maximumDurationMs = 15 * 60 * 1000; // longer speech is cut off here
};

struct WordEvent {
    qsizetype position = 0; // in SpokenText::text
    qsizetype length = 0;
    qint64 timeMs = 0;
};

struct MouthEvent {
    qint64 timeMs = 0;
    MouthShape shape = MouthShape::Closed;
};

struct SpokenText {
    sound::PcmAudio audio;  // 16-bit mono
    QString text;           // the text without its tags, as shown in a balloon
    QList<WordEvent> words; // in speaking order
    QList<MouthEvent> mouth;
    QString voiceModeId;    // the mode that spoke
    bool truncated = false; // cut off at the maximum duration
    bool cancelled = false;
    QString error;          // set when nothing could be spoken
};

} // namespace tilvano::speech
