#pragma once

#include <QString>

#include <memory>
#include <vector>

namespace tilvano {

// An ordered collection whose elements are addressed by position (from 1) or
// by an optional key compared without regard to letter case. It shares
// ownership of its elements with whoever else holds them. Nothing here
// fails loudly: an absent position or key gives a null element, a refused
// change reports false.
template <typename T>
class KeyedCollection {
public:
    using Element = std::shared_ptr<T>;
    using const_iterator = typename std::vector<Element>::const_iterator;

    // An empty key adds without a key; a key already present refuses the element.
    bool add(Element element, const QString &key)
    {
        if (!element)
            return false;
        const QString folded = key.toCaseFolded();
        if (!folded.isEmpty() && positionOfKey(folded) >= 0)
            return false;
        m_elements.push_back(std::move(element));
        m_keys.push_back(folded);
        return true;
    }

    Element item(qint32 position) const
    {
        return isPosition(position) ? m_elements[std::size_t(position - 1)] : nullptr;
    }
    Element item(const QString &key) const
    {
        const qsizetype at = positionOfKey(key.toCaseFolded());
        return at >= 0 ? m_elements[std::size_t(at)] : nullptr;
    }

    qint32 count() const { return qint32(m_elements.size()); }

    bool remove(qint32 position)
    {
        if (!isPosition(position))
            return false;
        eraseAt(std::size_t(position - 1));
        return true;
    }
    bool remove(const QString &key)
    {
        const qsizetype at = positionOfKey(key.toCaseFolded());
        if (at < 0)
            return false;
        eraseAt(std::size_t(at));
        return true;
    }

    const_iterator begin() const { return m_elements.cbegin(); }
    const_iterator end() const { return m_elements.cend(); }

private:
    bool isPosition(qint32 position) const { return position >= 1 && position <= count(); }

    qsizetype positionOfKey(const QString &foldedKey) const
    {
        if (foldedKey.isEmpty())
            return -1;
        for (std::size_t i = 0; i < m_keys.size(); ++i) {
            if (m_keys[i] == foldedKey)
                return qsizetype(i);
        }
        return -1;
    }

    void eraseAt(std::size_t at)
    {
        m_elements.erase(m_elements.begin() + qsizetype(at));
        m_keys.erase(m_keys.begin() + qsizetype(at));
    }

    std::vector<Element> m_elements;
    std::vector<QString> m_keys; // case-folded; empty for an element without key
};

} // namespace tilvano
