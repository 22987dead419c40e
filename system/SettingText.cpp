#include "system/SettingText.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace tilvano {

std::optional<double> settingToDouble(const QString &text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    double value = trimmed.toDouble(&ok);
    if (!ok) // numbers written in the user's locale form ("12,5")
        value = QLocale::system().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<qint32> settingToInt32(const QString &text)
{
    const std::optional<double> value = settingToDouble(text);
    if (!value)
        return std::nullopt;
    const double rounded = std::nearbyint(*value); // default rounding mode: half to even
    if (rounded < std::numeric_limits<qint32>::min() || rounded > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(rounded);
}

std::optional<qint16> settingToInt16(const QString &text)
{
    const std::optional<qint32> value = settingToInt32(text);
    if (!value || *value < std::numeric_limits<qint16>::min() || *value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(*value);
}

std::optional<bool> settingToBool(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    const std::optional<double> number = settingToDouble(trimmed);
    if (!number)
        return std::nullopt;
    return *number != 0.0;
}

QString boolSetting(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }
QString intSetting(qint64 value) { return QString::number(value); }

} // namespace tilvano
