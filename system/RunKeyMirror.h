#pragma once

#include "system/AutostartEntry.h"
#include "system/Registry.h"

#include <memory>

namespace tilvano {

// Wraps the registry so that the value "Tilvano" of the current user's Run key
// and the XDG autostart entry tilvano.desktop are one thing: writing the value
// writes the entry, deleting it removes the entry, and reading it tells whether
// an (enabled) entry exists, also one that another tool made.
class RunKeyMirror final : public Registry {
public:
    explicit RunKeyMirror(std::unique_ptr<Registry> inner);

    static QString runKeyPath();   // HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run
    static QString runValueName(); // Tilvano

    Registry &inner() { return *m_inner; }

    bool keyExists(const QString &keyPath) override;
    std::optional<RegistryValue> value(const QString &keyPath, const QString &name) override;
    bool setValue(const QString &keyPath, const QString &name, const RegistryValue &value) override;
    bool createKey(const QString &keyPath) override;
    bool deleteValue(const QString &keyPath, const QString &name) override;
    QStringList subKeys(const QString &keyPath) override;
    QList<NamedRegistryValue> values(const QString &keyPath) override;
    QString lastError() const override;

private:
    bool isMirrored(const QString &keyPath, const QString &name) const;

    std::unique_ptr<Registry> m_inner;
    AutostartEntry m_entry;
    QString m_lastError;
};

} // namespace tilvano
