#pragma once

#include "platform/speech/SpeechSettings.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace tilvano::speech {

// A stretch of the clean text spoken with one set of settings.
struct SpeechSegment {
    qsizetype start = 0;  // index into TaggedText::text
    qsizetype length = 0;
    SpeechSettings settings;
    int pauseBeforeMs = 0; // from \Pau=n\ tags in front of it
};

struct TaggedText {
    QString text;                  // what is spoken and shown: every recognised tag removed
    QList<SpeechSegment> segments; // cover `text` in order; never empty
    // The settings the text starts with (those of the tags in front of it).
    SpeechSettings leadingSettings() const;
};

// Splits speech control tags (\Spd=150\, \Chr="Whisper"\, ...) from the text they control.
// Tags may come in any order and number, mostly in front of a sentence; a tag later in the
// text changes the settings from there on. Names are matched without regard to case.
// A well-formed tag with a value that makes no sense (\Spd=fast\) is removed and has no
// effect; something that only looks like the start of a tag (a path such as C:\Temp\, an
// unterminated \Spd=1) stays in the text, because it may be what the user meant to say.
class SpeechTagParser
{
public:
    static TaggedText parse(QStringView text);
};

} // namespace tilvano::speech
