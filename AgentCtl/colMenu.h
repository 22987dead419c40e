#pragma once

#include "AgentCtl/clsMenuItem.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

namespace tilvano {

// The character's menu entries, in the order they were added. Entries are
// found by their one-based position or by the lookup key given when adding
// (keys are compared without regard to letter case). The list owns its entries.
class colMenu {
public:
    // Appends an entry; with a non-empty sKey it can also be found by that key.
    // Null when sKey is already in use (nothing is added then).
    clsMenuItem *Add(const QString &Key, const QString &Caption, const QString &VoiceCmd, bool enabled,
                     bool visible, const QString &sKey = QString());
    // By position (a number, 1 = first) or lookup key (a text); null when there is none.
    clsMenuItem *Item(const QVariant &vntIndexKey) const;
    qint32 Count() const { return qint32(m_items.size()); }
    // An unknown position or key is ignored.
    void Remove(const QVariant &vntIndexKey);

    // Enumeration in order; each element is an owning pointer to an entry.
    auto begin() const { return m_items.cbegin(); }
    auto end() const { return m_items.cend(); }

private:
    qsizetype indexOf(const QVariant &vntIndexKey) const;

    std::vector<std::unique_ptr<clsMenuItem>> m_items;
    QStringList m_lookupKeys; // beside m_items, empty where an entry has no key
};

} // namespace tilvano
