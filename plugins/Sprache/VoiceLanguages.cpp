#include "plugins/Sprache/VoiceLanguages.h"

#include <QCollator>
#include <QComboBox>
#include <QLocale>

#include <algorithm>

namespace tilvano::voice {

const QList<VoiceLanguage> &VoiceLanguages::all()
{
    // Names kept as users have always seen them, misspellings included.
    static const QList<VoiceLanguage> languages = {
        {QStringLiteral("Deutsch"), 0x407},
        {QStringLiteral("Arabisch"), 0x401},
        {QStringLiteral("Italienisch"), 0x410},
        {QStringLiteral("Baskisch"), 0x42D},
        {QStringLiteral("Japanisch"), 0x411},
        {QStringLiteral("Chinesich (einfach)"), 0x804},
        {QStringLiteral("Koreanisch"), 0x412},
        {QStringLiteral("Chinesisch (traditionell)"), 0x404},
        {QStringLiteral("Norwegisch"), 0x414},
        {QStringLiteral("Kroatisch"), 0x41A},
        {QStringLiteral("Polnisch"), 0x415},
        {QStringLiteral("Tschechisch"), 0x405},
        {QStringLiteral("Portugisisch"), 0x816},
        {QStringLiteral("Dänisch"), 0x406},
        {QStringLiteral("Portugisisch (brasilianisch)"), 0x416},
        {QStringLiteral("Holländisch"), 0x413},
        {QStringLiteral("Romanisch"), 0x418},
        {QStringLiteral("Englisch (britisch)"), 0x809},
        {QStringLiteral("Russisch"), 0x419},
        {QStringLiteral("Englisch (US)"), 0x409},
        {QStringLiteral("Slovakisch"), 0x41B},
        {QStringLiteral("Finnisch"), 0x40B},
        {QStringLiteral("Slovenisch"), 0x424},
        {QStringLiteral("Französisch"), 0x40C},
        {QStringLiteral("Spanisch"), 0xC0A},
        {QStringLiteral("Schwedisch"), 0x41D},
        {QStringLiteral("Griechisch"), 0x408},
        {QStringLiteral("Thai"), 0x41E},
        {QStringLiteral("Hebräisch"), 0x40D},
        {QStringLiteral("Türkisch"), 0x41F},
        {QStringLiteral("Ungarisch"), 0x40E},
    };
    return languages;
}

void VoiceLanguages::fill(QComboBox *list)
{
    // A fixed German collation, not the user's locale: the order must not
    // change with the desktop's language, and code-point order would put
    // "Dänisch" after "Deutsch" and "(US)" before "(britisch)".
    QCollator collator{QLocale(QLocale::German, QLocale::Germany)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    QList<VoiceLanguage> sorted = all();
    std::stable_sort(sorted.begin(), sorted.end(), [&collator](const VoiceLanguage &a, const VoiceLanguage &b) {
        return collator.compare(a.name, b.name) < 0;
    });
    for (const VoiceLanguage &language : std::as_const(sorted))
        list->addItem(language.name, language.identifier);
}

qint32 VoiceLanguages::identifierAt(const QComboBox *list, int position)
{
    if (position < 0 || position >= list->count())
        return 0;
    return list->itemData(position).toInt();
}

int VoiceLanguages::positionOf(const QComboBox *list, qint32 identifier)
{
    for (int position = 0; position < list->count(); ++position) {
        if (identifierAt(list, position) == identifier)
            return position;
    }
    return -1;
}

} // namespace tilvano::voice
