#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tilvano {

// A value of the per-user registry: a text (REG_SZ) or a 32-bit number (REG_DWORD).
struct RegistryValue {
    enum Type : int { String = 1, DWord = 4 };
    Type type = String;
    QString text;      // REG_SZ; may hold NUL characters, as the stored bytes did
    qint32 number = 0; // REG_DWORD

    static RegistryValue fromString(const QString &s) { return {String, s, 0}; }
    static RegistryValue fromDWord(qint32 n) { return {DWord, {}, n}; }
    QString toDisplayText() const { return type == DWord ? QString::number(number) : text; }
    friend bool operator==(const RegistryValue &, const RegistryValue &) = default;
};

struct NamedRegistryValue {
    QString name;
    RegistryValue value;
};

// The per-user registry. Key paths are full paths with backslashes, starting with
// the root's name ("HKEY_CURRENT_USER\Software\Lorvat\Misc"); key paths and value
// names are compared without regard to letter case. Every operation is safe to
// call from several processes at once; a write is durable when it returns.
class Registry {
public:
    virtual ~Registry() = default;

    virtual bool keyExists(const QString &keyPath) = 0;
    virtual std::optional<RegistryValue> value(const QString &keyPath, const QString &name) = 0;
    virtual bool setValue(const QString &keyPath, const QString &name, const RegistryValue &value) = 0;
    virtual bool createKey(const QString &keyPath) = 0;
    // True when the value existed and is gone.
    virtual bool deleteValue(const QString &keyPath, const QString &name) = 0;

    // Direct sub-keys by their own name (as first spelt), sorted without regard to case.
    virtual QStringList subKeys(const QString &keyPath) = 0;
    // Values of one key, sorted by name without regard to case.
    virtual QList<NamedRegistryValue> values(const QString &keyPath) = 0;

    // Text of the last failure, empty after a success.
    virtual QString lastError() const = 0;
};

// "HKCU\\Software\\x", "hkey_current_user/Software/x/" -> "HKEY_CURRENT_USER\\Software\\x".
// Returns an empty text for a path that names no known root.
QString normalizedKeyPath(const QString &keyPath);

} // namespace tilvano
