#pragma once

#include <QList>
#include <QString>

class QComboBox;

namespace tilvano::voice {

// A language the character can be told to speak, with its Windows language
// identifier (what Kibo.LanguageID takes).
struct VoiceLanguage {
    QString name;
    qint32 identifier = 0;
};

// The languages the voice page offers.
class VoiceLanguages {
public:
    // In the order they have always been added; the list shows them sorted.
    static const QList<VoiceLanguage> &all();

    // Fills the list with the languages sorted as a German reader expects
    // ("Dänisch" before "Deutsch", case ignored), each carrying its
    // identifier as item data.
    static void fill(QComboBox *list);

    // The identifier an entry of a filled list carries; 0 for no entry.
    static qint32 identifierAt(const QComboBox *list, int position);
    // The first position whose identifier matches, or -1.
    static int positionOf(const QComboBox *list, qint32 identifier);
};

} // namespace tilvano::voice
