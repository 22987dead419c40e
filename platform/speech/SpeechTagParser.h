#pragma once

#include "platform/speech/SpeechTypes.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace tilvano::speech {

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
    // The same for a text of "|"-separated alternatives, of which one is to be spoken: one
    // TaggedText per alternative. The tags in front of the first alternative belong to the
    // sentence as a whole and start every alternative; a tag inside an alternative acts only
    // there.
    static QList<TaggedText> parseAlternatives(QStringView text);
};

} // namespace tilvano::speech
