#include "common/SettingsStore.h"

#include "system/SystemServices.h"

namespace tilvano {

QString GetSetting(const QString &application, const QString &section, const QString &key,
                   const QString &defaultValue)
{
    return SettingsSection(SystemServices::registry(), application, section).text(key, defaultValue);
}

bool SaveSetting(const QString &application, const QString &section, const QString &key,
                 const QString &value)
{
    return SettingsSection(SystemServices::registry(), application, section).setText(key, value);
}

} // namespace tilvano
