#include "system/WindowsDirectory.h"

#include "system/InstallLayout.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace tilvano {

namespace {
bool makePrivateDir(const QString &path)
{
    if (QDir(path).exists())
        return true;
    if (!QDir().mkpath(path))
        return false;
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
} // namespace

QString WindowsDirectory::path()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                        + QStringLiteral("/tilvano");
    makePrivateDir(dir);
    return dir;
}

QString WindowsDirectory::characterFolder()
{
    const QString folder = path() + QStringLiteral("/msagent/chars/");
    makePrivateDir(folder);
    const QDir shipped(InstallLayout::dataDir() + QStringLiteral("/chars"));
    const QStringList files = shipped.entryList({QStringLiteral("*.acs")}, QDir::Files);
    for (const QString &name : files) {
        const QString target = folder + name;
        if (!QFile::exists(target) && QFile::copy(shipped.filePath(name), target))
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    }
    return folder;
}

} // namespace tilvano
