#include "system/Registry.h"

namespace tilvano {

QString normalizedKeyPath(const QString &keyPath)
{
    static const QList<QPair<QString, QString>> roots = {
        {QStringLiteral("HKEY_CLASSES_ROOT"), QStringLiteral("HKCR")},
        {QStringLiteral("HKEY_CURRENT_USER"), QStringLiteral("HKCU")},
        {QStringLiteral("HKEY_LOCAL_MACHINE"), QStringLiteral("HKLM")},
        {QStringLiteral("HKEY_USERS"), QStringLiteral("HKU")},
        {QStringLiteral("HKEY_CURRENT_CONFIG"), QStringLiteral("HKCC")},
    };
    QString path = keyPath.trimmed();
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return {};
    for (const auto &[longName, shortName] : roots) {
        if (parts.first().compare(longName, Qt::CaseInsensitive) == 0
            || parts.first().compare(shortName, Qt::CaseInsensitive) == 0) {
            parts.first() = longName;
            return parts.join(QLatin1Char('\\'));
        }
    }
    return {};
}

} // namespace tilvano
