#pragma once

#include <QString>
#include <QStringView>

namespace tilvano::speech {

// Makes arbitrary text safe to hand to espeak-ng for a voice of the given language.
// espeak-ng 1.51 switches its phoneme tables when a word is written in another script, and
// on some such words (Armenian or Coptic letters, a Sami Ŋ in German text, ...) it reads
// freed memory. So letters of scripts foreign to the voice become blanks, and for voices
// whose alphabet fits Latin-1 other Latin letters are folded to their base letter (ń -> n).
// Control characters and broken surrogates become blanks too. Every UTF-16 unit maps to
// exactly one unit, so positions espeak-ng reports still point into the original text.
class SpeakableText
{
public:
    static QString prepare(QStringView text, const QString &espeakLanguage);
};

} // namespace tilvano::speech
