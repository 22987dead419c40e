#pragma once

#include <QString>
#include <QStringList>

namespace tilvano::speech {

// Windows language identifiers (LCIDs such as 0x0407 for German) and the language codes
// espeak-ng names its voices by.
class LanguageIds
{
public:
    static constexpr int German = 0x0407;

    // espeak-ng language codes for an identifier, best first; the primary language
    // (the low ten bits) stands in for an unknown sub-language. Empty when unknown.
    static QStringList espeakLanguagesFor(int languageId);
    // The identifier for an espeak-ng language code ("de", "en-gb", "pt-br"); a regional code
    // without an entry of its own falls back to its base language. 0 when unknown.
    static int languageIdFor(const QString &espeakLanguage);
};

} // namespace tilvano::speech
