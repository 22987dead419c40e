#include "system/InstallLayout.h"

#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

namespace tilvano {

QString InstallLayout::libDir()
{
    static const QString dir = [] {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void *>(&InstallLayout::libDir), &info) && info.dli_fname)
            return QFileInfo(QFile::decodeName(info.dli_fname)).canonicalPath();
        return QDir::currentPath();
    }();
    return dir;
}

QString InstallLayout::prefix() { return QDir::cleanPath(libDir() + QStringLiteral("/../..")); }
QString InstallLayout::binDir() { return prefix() + QStringLiteral("/bin"); }
QString InstallLayout::pluginDir() { return libDir() + QStringLiteral("/plugins"); }
QString InstallLayout::dataDir() { return prefix() + QStringLiteral("/share/tilvano"); }
QString InstallLayout::installPath() { return dataDir() + QLatin1Char('/'); }
QString InstallLayout::program(const QString &name) { return binDir() + QLatin1Char('/') + name; }

} // namespace tilvano
