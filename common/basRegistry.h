#pragma once

#include <QString>
#include <QVariant>

namespace tilvano {

// Root keys, by the numbers programs know them by.
using RegistryRoot = quint32;
inline constexpr RegistryRoot HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr RegistryRoot HKEY_CURRENT_USER = 0x80000001u;
inline constexpr RegistryRoot HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr RegistryRoot HKEY_USERS = 0x80000003u;

// Direct access to registry keys outside the settings store. Nothing here
// raises a failure; the status of the last call is left in LastRegistryStatus()
// (0 for success, 2 when the key or value was not found, 5 when the store failed).
bool RegKeyExists(RegistryRoot root, const QString &keyPath);
// Text (cut before the first NUL), a number (qint32) for REG_DWORD, or an empty
// text when the key or value is missing.
QVariant ReadRegValue(RegistryRoot root, const QString &keyPath, const QString &valueName);
// A whole number is written as REG_DWORD, anything else as REG_SZ without
// leading and trailing blanks.
void WriteRegValue(RegistryRoot root, const QString &keyPath, const QString &valueName, const QVariant &value);
void DeleteRegValue(RegistryRoot root, const QString &keyPath, const QString &valueName);
// True when the value converts to a 32-bit integer.
bool IsWholeNumber(const QVariant &value);

int LastRegistryStatus();

} // namespace tilvano
