#pragma once

#include "Ablaufwerk/KeyedCollection.h"
#include "Ablaufwerk/clsMacroLine.h"

#include <memory>

namespace tilvano {

// The lines of one macro, in order; position p (from 1) is entry p-1 of the
// editor's line list.
class colMacroLines {
public:
    using const_iterator = KeyedCollection<clsMacroLine>::const_iterator;

    void Clear();
    // Appends a line under the collection key sKey (none when empty). A key
    // already present adds nothing and gives a null line.
    std::shared_ptr<clsMacroLine> Add(const QString &Key, const QString &ShowLine, const QString &scriptline,
                                      const QString &Data = QString(), const QString &sKey = QString());
    // Null for a position outside 1 to Count or an unknown key.
    std::shared_ptr<clsMacroLine> Item(qint32 position) const { return m_lines.item(position); }
    std::shared_ptr<clsMacroLine> Item(const QString &key) const { return m_lines.item(key); }
    qint32 Count() const { return m_lines.count(); }
    bool Remove(qint32 position) { return m_lines.remove(position); }
    bool Remove(const QString &key) { return m_lines.remove(key); }

    const_iterator begin() const { return m_lines.begin(); }
    const_iterator end() const { return m_lines.end(); }

private:
    KeyedCollection<clsMacroLine> m_lines;
};

} // namespace tilvano
