#include "plugins/Options/StartupEntry.h"

#include "common/basRegistry.h"
#include "system/InstallLayout.h"
#include "system/Registry.h"
#include "system/SystemServices.h"

namespace tilvano::options {

namespace {

constexpr qint32 kPathFileAccessError = 75;

ErrorInfo accessError(const QString &what)
{
    return {kPathFileAccessError, QStringLiteral("TilvanoMiscOptions"),
            QStringLiteral("Path/file access error: %1").arg(what), 0};
}

} // namespace

QString StartupEntry::runKey() { return QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run"); }
QString StartupEntry::valueName() { return QStringLiteral("Tilvano"); }

bool StartupEntry::isSet()
{
    return !ReadRegValue(HKEY_CURRENT_USER, runKey(), valueName()).toString().isEmpty();
}

QString StartupEntry::command()
{
    return InstallLayout::program(QStringLiteral("tilvano"));
}

ErrorInfo StartupEntry::set(const QString &command)
{
    WriteRegValue(HKEY_CURRENT_USER, runKey(), valueName(), command);
    if (LastRegistryStatus() != 0)
        return accessError(SystemServices::registry().lastError());
    return {};
}

ErrorInfo StartupEntry::clear()
{
    DeleteRegValue(HKEY_CURRENT_USER, runKey(), valueName());
    // The delete's status cannot tell "was not there" from "could not be
    // removed"; what is left afterwards can.
    if (isSet())
        return accessError(SystemServices::registry().lastError());
    return {};
}

} // namespace tilvano::options
