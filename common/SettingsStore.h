#pragma once

#include "system/SettingText.h"
#include "system/SettingsSection.h"

#include <QString>

namespace tilvano {

// Text values addressed by application, section and key, kept per user in the
// registry under Software\<application>\<section>. Names are compared without
// regard to letter case. Reading never fails: a missing section or key gives
// the default. Writing creates what is missing and replaces what is there; it
// returns false when the value could not be stored (the store cannot be opened
// or written), so that a save never reports success with nothing stored.
QString GetSetting(const QString &application, const QString &section, const QString &key,
                   const QString &defaultValue = QString());
bool SaveSetting(const QString &application, const QString &section, const QString &key,
                 const QString &value);

} // namespace tilvano
