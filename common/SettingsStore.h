#pragma once

#include <QString>

#include <optional>

namespace tilvano {

// The application every deliverable keeps its settings under.
inline QString settingsApplication() { return QStringLiteral("Lorvat"); }

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

// Conversions of stored texts, as readers need them. A text that does not
// convert gives nullopt; the reader's own failure handling takes over.
// Booleans: "True"/"False" in any letter case, or a number (0 = false).
std::optional<bool> settingToBool(const QString &text);
// Whole numbers in plain decimal (blanks around allowed); a fraction is rounded
// half to even, as the classic conversion does. Out of range gives nullopt.
std::optional<qint32> settingToInt32(const QString &text);
std::optional<qint16> settingToInt16(const QString &text);
std::optional<double> settingToDouble(const QString &text);

// How values are written: "True"/"False", plain decimal.
QString boolSetting(bool value);
QString intSetting(qint64 value);

} // namespace tilvano
