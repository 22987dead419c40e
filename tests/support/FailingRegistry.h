#pragma once

#include "system/Registry.h"

#include <QSet>
#include <QString>

namespace tilvano::test {

// A settings store that refuses writes on purpose, for the paths that must
// cope with a store that cannot keep what it is given (a full disk, a
// read-only folder). It stands in front of the real store and passes
// everything on, except the writes it was told to refuse: the n-th write
// from now, or every write to a named value. A refused write changes
// nothing, returns false and leaves a text in lastError(), as the real
// store's refusals do. Writes are setValue, createKey and deleteValue.
class FailingRegistry final : public Registry {
public:
    explicit FailingRegistry(Registry &inner) : m_inner(inner) {}

    // 1 refuses the next write, 2 the one after it, and so on.
    void failWrite(int n) { m_failAt = m_writes + n; }
    void failValue(const QString &keyPath, const QString &name) { m_failing.insert(identity(keyPath, name)); }
    int writes() const { return m_writes; }
    int refusals() const { return m_refusals; }

    bool keyExists(const QString &keyPath) override { return m_inner.keyExists(keyPath); }
    std::optional<RegistryValue> value(const QString &keyPath, const QString &name) override
    {
        return m_inner.value(keyPath, name);
    }
    bool setValue(const QString &keyPath, const QString &name, const RegistryValue &value) override
    {
        return !refuses(keyPath, name) && passed(m_inner.setValue(keyPath, name, value));
    }
    bool createKey(const QString &keyPath) override
    {
        return !refuses(keyPath, QString()) && passed(m_inner.createKey(keyPath));
    }
    bool deleteValue(const QString &keyPath, const QString &name) override
    {
        return !refuses(keyPath, name) && passed(m_inner.deleteValue(keyPath, name));
    }
    QStringList subKeys(const QString &keyPath) override { return m_inner.subKeys(keyPath); }
    QList<NamedRegistryValue> values(const QString &keyPath) override { return m_inner.values(keyPath); }
    QString lastError() const override { return m_lastError; }

private:
    static QString identity(const QString &keyPath, const QString &name)
    {
        return (normalizedKeyPath(keyPath) + QLatin1Char('\n') + name).toLower();
    }
    bool refuses(const QString &keyPath, const QString &name)
    {
        ++m_writes;
        if (m_writes != m_failAt && !m_failing.contains(identity(keyPath, name)))
            return false;
        ++m_refusals;
        m_lastError = QStringLiteral("%1\\%2: attempt to write a readonly database (refused by the test)")
                          .arg(keyPath, name);
        return true;
    }
    bool passed(bool ok)
    {
        m_lastError = m_inner.lastError();
        return ok;
    }

    Registry &m_inner;
    int m_writes = 0;
    int m_failAt = 0;
    int m_refusals = 0;
    QSet<QString> m_failing;
    QString m_lastError;
};

} // namespace tilvano::test
