#include "system/InstallLayout.h"

#include "system/FileIconEngine.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <memory>

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
    // The pictures are read when a size is painted, not here at the start.
    auto engine = std::make_unique<FileIconEngine>();
    const QDir theme(iconThemeDir());
    const QString file = QStringLiteral("/apps/" TILVANO_APP_ID ".png");
    static const QRegularExpression sizeFolder(QStringLiteral("^(\\d+)x(\\d+)$"));
    for (const QString &folder : theme.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QRegularExpressionMatch size = sizeFolder.match(folder);
        if (size.hasMatch() && QFileInfo::exists(theme.filePath(folder) + file))
            engine->addSize(QSize(size.captured(1).toInt(), size.captured(2).toInt()), theme.filePath(folder) + file);
    }
    return engine->isEmpty() ? QIcon() : QIcon(engine.release());
}

} // namespace tilvano
