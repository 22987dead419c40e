#include "system/RunKeyMirror.h"

namespace tilvano {

RunKeyMirror::RunKeyMirror(std::unique_ptr<Registry> inner)
    : m_inner(std::move(inner)), m_entry(QStringLiteral("tilvano"))
{
}

QString RunKeyMirror::runKeyPath()
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
}

QString RunKeyMirror::runValueName() { return QStringLiteral("Tilvano"); }

bool RunKeyMirror::isMirrored(const QString &keyPath, const QString &name) const
{
    return name.compare(runValueName(), Qt::CaseInsensitive) == 0
           && normalizedKeyPath(keyPath).compare(runKeyPath(), Qt::CaseInsensitive) == 0;
}

bool RunKeyMirror::keyExists(const QString &keyPath)
{
    if (m_inner->keyExists(keyPath))
        return true;
    // An entry that another tool made stands for the value, and so for its
    // key: callers that look for the key before they delete the value must
    // still be able to remove the entry.
    return isMirrored(keyPath, runValueName()) && m_entry.command().has_value();
}

std::optional<RegistryValue> RunKeyMirror::value(const QString &keyPath, const QString &name)
{
    if (!isMirrored(keyPath, name))
        return m_inner->value(keyPath, name);
    // The autostart entry decides: the user may have switched it off (or on) in
    // the desktop's own settings since we wrote the value.
    const std::optional<QString> command = m_entry.command();
    if (!command)
        return std::nullopt;
    const std::optional<RegistryValue> stored = m_inner->value(keyPath, name);
    if (stored && stored->type == RegistryValue::String
        && AutostartEntry::programFromExecLine(AutostartEntry::execLineFor(stored->text.trimmed()))
               == *command)
        return stored;
    return RegistryValue::fromString(*command);
}

bool RunKeyMirror::setValue(const QString &keyPath, const QString &name, const RegistryValue &value)
{
    if (!m_inner->setValue(keyPath, name, value))
        return false;
    if (isMirrored(keyPath, name) && !m_entry.write(value.toDisplayText().trimmed())) {
        m_lastError = QStringLiteral("cannot write %1").arg(m_entry.filePath());
        return false;
    }
    m_lastError.clear();
    return true;
}

bool RunKeyMirror::createKey(const QString &keyPath) { return m_inner->createKey(keyPath); }

bool RunKeyMirror::deleteValue(const QString &keyPath, const QString &name)
{
    const bool deleted = m_inner->deleteValue(keyPath, name);
    if (!isMirrored(keyPath, name))
        return deleted;
    const bool hadEntry = m_entry.command().has_value();
    if (!m_entry.remove()) {
        m_lastError = QStringLiteral("cannot remove %1").arg(m_entry.filePath());
        return false;
    }
    return deleted || hadEntry;
}

QStringList RunKeyMirror::subKeys(const QString &keyPath) { return m_inner->subKeys(keyPath); }

QList<NamedRegistryValue> RunKeyMirror::values(const QString &keyPath)
{
    QList<NamedRegistryValue> result = m_inner->values(keyPath);
    if (normalizedKeyPath(keyPath).compare(runKeyPath(), Qt::CaseInsensitive) != 0)
        return result;
    result.removeIf([](const NamedRegistryValue &v) {
        return v.name.compare(runValueName(), Qt::CaseInsensitive) == 0;
    });
    if (const auto mirrored = value(keyPath, runValueName()))
        result.append({runValueName(), *mirrored});
    return result;
}

QString RunKeyMirror::lastError() const
{
    return m_lastError.isEmpty() ? m_inner->lastError() : m_lastError;
}

} // namespace tilvano
