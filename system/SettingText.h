#pragma once

#include <QString>

#include <optional>

namespace tilvano {

// Conversions of stored setting texts, as readers need them. A text that does
// not convert gives nullopt; the reader's own failure handling takes over.
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
