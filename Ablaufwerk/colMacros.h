#pragma once

#include "Ablaufwerk/KeyedCollection.h"
#include "Ablaufwerk/clsMacro.h"

#include <memory>

namespace tilvano {

// The loaded macros, keyed by name without regard to letter case.
class colMacros {
public:
    using const_iterator = KeyedCollection<clsMacro>::const_iterator;

    // Makes a macro named Key and adds it under the collection key sKey (none
    // when empty). A key already present adds nothing and gives a null macro.
    std::shared_ptr<clsMacro> Add(const QString &Key, const QString &sKey = QString());
    // Null for an unknown name or a position outside 1 to Count.
    std::shared_ptr<clsMacro> Item(qint32 position) const { return m_macros.item(position); }
    std::shared_ptr<clsMacro> Item(const QString &key) const { return m_macros.item(key); }
    qint32 Count() const { return m_macros.count(); }
    bool Remove(qint32 position) { return m_macros.remove(position); }
    bool Remove(const QString &key) { return m_macros.remove(key); }

    const_iterator begin() const { return m_macros.begin(); }
    const_iterator end() const { return m_macros.end(); }

private:
    KeyedCollection<clsMacro> m_macros;
};

} // namespace tilvano
