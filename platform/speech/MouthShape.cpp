#include "MouthShape.h"

#include <QString>

namespace tilvano::speech {

namespace {

bool startsWithAnyOf(QStringView phoneme, QStringView letters)
{
    return !phoneme.isEmpty() && letters.contains(phoneme.front());
}

} // namespace

MouthShape mouthShapeForPhoneme(QStringView ipa)
{
    // espeak-ng prefixes stress marks and may append length or other diacritics; the first
    // letter decides, except that a diphthong is shown by where it starts.
    QStringView phoneme = ipa;
    while (!phoneme.isEmpty() && (phoneme.front() == u'ˈ' || phoneme.front() == u'ˌ' || phoneme.front() == u'\''
                                  || phoneme.front() == u','))
        phoneme = phoneme.sliced(1);
    if (phoneme.isEmpty() || phoneme.front() == u'_')
        return MouthShape::Closed;
    if (startsWithAnyOf(phoneme, u"aɑɐäɒ"))
        return MouthShape::Wide4;
    if (startsWithAnyOf(phoneme, u"æɛɜʌ"))
        return MouthShape::Wide3;
    if (startsWithAnyOf(phoneme, u"eəɘɵ"))
        return MouthShape::Wide2;
    if (startsWithAnyOf(phoneme, u"iɪjɨ"))
        return MouthShape::Wide1;
    if (startsWithAnyOf(phoneme, u"oɔuʊyʏøœwɥʃʒɯ"))
        return MouthShape::Narrow;
    if (startsWithAnyOf(phoneme, u"pbmɱ"))
        return MouthShape::Closed;
    return MouthShape::Medium;
}

} // namespace tilvano::speech
