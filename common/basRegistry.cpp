#include "common/basRegistry.h"

#include "common/SettingsStore.h"
#include "system/Registry.h"
#include "system/SystemServices.h"

#include <cmath>
#include <limits>

namespace tilvano {

namespace {

constexpr int kStatusSuccess = 0;
constexpr int kStatusNotFound = 2;
constexpr int kStatusAccessDenied = 5;
int g_lastStatus = kStatusSuccess;

QString rootName(RegistryRoot root)
{
    switch (root) {
    case HKEY_CLASSES_ROOT: return QStringLiteral("HKEY_CLASSES_ROOT");
    case HKEY_CURRENT_USER: return QStringLiteral("HKEY_CURRENT_USER");
    case HKEY_LOCAL_MACHINE: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case HKEY_USERS: return QStringLiteral("HKEY_USERS");
    default: return {};
    }
}

QString fullPath(RegistryRoot root, const QString &keyPath)
{
    const QString name = rootName(root);
    return name.isEmpty() ? QString() : name + QLatin1Char('\\') + keyPath;
}

} // namespace

int LastRegistryStatus() { return g_lastStatus; }

bool RegKeyExists(RegistryRoot root, const QString &keyPath)
{
    const QString path = fullPath(root, keyPath);
    const bool exists = !path.isEmpty() && SystemServices::registry().keyExists(path);
    g_lastStatus = exists ? kStatusSuccess : kStatusNotFound;
    return exists;
}

QVariant ReadRegValue(RegistryRoot root, const QString &keyPath, const QString &valueName)
{
    const QString path = fullPath(root, keyPath);
    const std::optional<RegistryValue> stored =
        path.isEmpty() ? std::nullopt : SystemServices::registry().value(path, valueName);
    g_lastStatus = stored ? kStatusSuccess : kStatusNotFound;
    if (!stored)
        return QString();
    if (stored->type == RegistryValue::DWord)
        return QVariant::fromValue<qint32>(stored->number);
    const qsizetype nul = stored->text.indexOf(QChar(0));
    return nul < 0 ? stored->text : stored->text.left(nul);
}

void WriteRegValue(RegistryRoot root, const QString &keyPath, const QString &valueName, const QVariant &value)
{
    const QString path = fullPath(root, keyPath);
    if (path.isEmpty()) {
        g_lastStatus = kStatusNotFound;
        return;
    }
    RegistryValue stored;
    if (IsWholeNumber(value)) {
        // True converts to -1, as the classic conversion of a boolean does.
        const double number = value.typeId() == QMetaType::Bool     ? (value.toBool() ? -1.0 : 0.0)
                              : value.typeId() == QMetaType::QString ? settingToDouble(value.toString()).value_or(0)
                                                                     : value.toDouble();
        stored = RegistryValue::fromDWord(qint32(std::nearbyint(number)));
    } else {
        stored = RegistryValue::fromString(value.toString().trimmed());
    }
    g_lastStatus = SystemServices::registry().setValue(path, valueName, stored) ? kStatusSuccess
                                                                                 : kStatusAccessDenied;
}

void DeleteRegValue(RegistryRoot root, const QString &keyPath, const QString &valueName)
{
    if (!RegKeyExists(root, keyPath))
        return;
    g_lastStatus = SystemServices::registry().deleteValue(fullPath(root, keyPath), valueName)
                       ? kStatusSuccess
                       : kStatusNotFound;
}

bool IsWholeNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return true;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    case QMetaType::QString:
        return settingToInt32(value.toString()).has_value();
    default:
        break;
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return false;
    const double rounded = std::nearbyint(number);
    return rounded >= std::numeric_limits<qint32>::min() && rounded <= std::numeric_limits<qint32>::max();
}

} // namespace tilvano
