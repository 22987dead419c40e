#include "AgentCtl/colMenu.h"

namespace tilvano {

clsMenuItem *colMenu::Add(const QString &Key, const QString &Caption, const QString &VoiceCmd, bool enabled,
                          bool visible, const QString &sKey)
{
    if (!sKey.isEmpty() && indexOf(sKey) >= 0)
        return nullptr;
    m_items.push_back(std::make_unique<clsMenuItem>(clsMenuItem{Key, Caption, VoiceCmd, enabled, visible}));
    m_lookupKeys.append(sKey);
    return m_items.back().get();
}

qsizetype colMenu::indexOf(const QVariant &vntIndexKey) const
{
    if (vntIndexKey.typeId() == QMetaType::QString) {
        const QString key = vntIndexKey.toString();
        if (key.isEmpty())
            return -1;
        for (qsizetype i = 0; i < m_lookupKeys.size(); ++i)
            if (m_lookupKeys[i].compare(key, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
    bool isNumber = false;
    const qlonglong position = vntIndexKey.toLongLong(&isNumber);
    if (!isNumber || position < 1 || position > qlonglong(m_items.size()))
        return -1;
    return qsizetype(position - 1);
}

clsMenuItem *colMenu::Item(const QVariant &vntIndexKey) const
{
    const qsizetype index = indexOf(vntIndexKey);
    return index < 0 ? nullptr : m_items[size_t(index)].get();
}

void colMenu::Remove(const QVariant &vntIndexKey)
{
    const qsizetype index = indexOf(vntIndexKey);
    if (index < 0)
        return;
    m_items.erase(m_items.begin() + index);
    m_lookupKeys.removeAt(index);
}

} // namespace tilvano
