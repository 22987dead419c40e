#pragma once

#include <QList>
#include <QString>

namespace tilvano::freund {

// One character file the user can pick.
struct CharacterEntry {
    QString name;     // what the list shows: the file name without any ".acs"
    QString fileName; // the file itself, which is what gets loaded
};

// The character files of one folder, in the order the list shows them.
class CharacterFolder {
public:
    // Reads the folder once; a missing or empty folder gives no entries.
    explicit CharacterFolder(const QString &folder);

    const QString &folder() const { return m_folder; }
    const QList<CharacterEntry> &entries() const { return m_entries; }
    // The full path of the entry's file; empty for an index out of range.
    QString pathOf(int index) const;

    // The entry a stored character path names (compared by file name, letter
    // case ignored); the last one when several do, 0 when none does.
    int indexOf(const QString &storedPath) const;

    // "My.ACS.acs" gives "My": every ".acs" goes, whatever its case.
    static QString displayName(const QString &fileName);

private:
    QString m_folder;
    QList<CharacterEntry> m_entries;
};

} // namespace tilvano::freund
