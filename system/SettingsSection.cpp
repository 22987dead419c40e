#include "system/SettingsSection.h"

#include "system/Registry.h"

namespace tilvano {

SettingsSection::SettingsSection(Registry &registry, const QString &application, const QString &section)
    : m_registry(registry)
    , m_keyPath(keyPathOf(application, section))
{
}

QString SettingsSection::keyPathOf(const QString &application, const QString &section)
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\") + application + QLatin1Char('\\') + section;
}

SettingsSection::SettingsSection(Registry &registry, const QString &section)
    : SettingsSection(registry, settingsApplication(), section)
{
}

QString SettingsSection::text(const QString &key, const QString &fallback) const
{
    const std::optional<RegistryValue> stored = m_registry.value(m_keyPath, key);
    return stored ? stored->toDisplayText() : fallback;
}

bool SettingsSection::setText(const QString &key, const QString &value)
{
    return m_registry.setValue(m_keyPath, key, RegistryValue::fromString(value));
}

} // namespace tilvano
