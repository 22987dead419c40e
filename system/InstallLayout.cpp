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
QString InstallLayout::iconThemeDir() { return prefix() + QStringLiteral("/share/icons/hicolor"); }

QIcon InstallLayout::applicationIcon()
{
    // Read from our own files rather than the icon theme, which finds them only
    // under the system's prefix, not in a build tree or under /opt.
    QIcon icon;
    const QDir theme(iconThemeDir());
    const QString file = QStringLiteral("/apps/" TILVANO_APP_ID ".png");
    for (const QString &size : theme.entryList({QStringLiteral("*x*")}, QDir::Dirs)) {
        if (QFileInfo::exists(theme.filePath(size) + file))
            icon.addFile(theme.filePath(size) + file);
    }
    return icon;
}

} // namespace tilvano
