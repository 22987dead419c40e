#include "common/FileHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tilvano {

bool FileExists(const QString &path)
{
    QString lookup = path;
    if (lookup.size() > 3 && lookup.endsWith(QLatin1Char('/')))
        lookup.chop(1);
    if (lookup.isEmpty())
        return false;
    const QFileInfo info(lookup);
    const QString name = info.fileName();
    if (name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'))) {
        const QDir dir = info.dir();
        return !dir.entryList({name}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                    .isEmpty();
    }
    return info.exists() || info.isSymLink();
}

bool CopyFileTo(const QString &source, const QString &target, bool failIfExists)
{
    if (!QFileInfo(source).isFile())
        return false;
    if (QFileInfo::exists(target)) {
        if (failIfExists || !QFile::remove(target))
            return false;
    }
    return QFile::copy(source, target);
}

bool RemoveFile(const QString &path)
{
    return QFileInfo(path).isFile() && QFile::remove(path);
}

} // namespace tilvano
