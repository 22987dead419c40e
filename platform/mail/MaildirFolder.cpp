#include "platform/mail/MaildirFolder.h"

#include "platform/mail/MailErrors.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace tilvano::mail {

namespace {

// Position of the info part ("2,FLAGS") after its separator. Most tools use
// ':'; some use ';' or '!' where ':' is not allowed in file names.
qsizetype infoStart(const QString &fileName)
{
    for (qsizetype i = fileName.size() - 3; i >= 1; --i) {
        const QChar sep = fileName[i];
        if ((sep == u':' || sep == u';' || sep == u'!') && fileName[i + 1] == u'2' && fileName[i + 2] == u',')
            return i;
    }
    return -1;
}

// Names of the entries in one of a Maildir's sub-folders, hidden files (not
// messages) left out. Entries are taken as the directory lists them, without
// asking for each file's details, so large folders stay cheap.
template <typename Visit>
bool forEachMessage(const QString &dir, Visit visit)
{
    QDir folder(dir);
    if (!folder.exists())
        return false;
    QDirIterator it(dir, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (!name.startsWith(u'.'))
            visit(name);
    }
    return true;
}

} // namespace

MaildirFolder::MaildirFolder(QString path)
    : m_path(std::move(path))
{
}

QString MaildirFolder::newPath() const
{
    return m_path + QStringLiteral("/new");
}

QString MaildirFolder::curPath() const
{
    return m_path + QStringLiteral("/cur");
}

ErrorInfo MaildirFolder::check(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return maildirMissing(path);
    for (const char *sub : {"cur", "new", "tmp"}) {
        if (!QFileInfo(path + QLatin1Char('/') + QLatin1String(sub)).isDir())
            return notAMaildir(path);
    }
    return {};
}

bool MaildirFolder::exists() const
{
    return !check(m_path).isError();
}

QString MaildirFolder::uniqueName(const QString &fileName)
{
    const qsizetype info = infoStart(fileName);
    const QString name = info < 0 ? fileName : fileName.left(info);
    // mbsync and offlineimap add the server's UID (and offlineimap a folder
    // hash after it) once they know it: ",U=123" or ",U=123,FMD5=...".
    const qsizetype uid = name.indexOf(QLatin1String(",U="));
    return uid < 0 ? name : name.left(uid);
}

bool MaildirFolder::isSeen(const QString &fileName)
{
    const qsizetype info = infoStart(fileName);
    return info >= 0 && fileName.indexOf(u'S', info + 3) >= 0;
}

MailResult<int> MaildirFolder::unreadCount() const
{
    int count = 0;
    const bool newRead = forEachMessage(newPath(), [&](const QString &) { ++count; });
    const bool curRead = forEachMessage(curPath(), [&](const QString &name) {
        if (!isSeen(name))
            ++count;
    });
    if (!newRead || !curRead)
        return MailResult<int>::failure(folderUnreadable(m_path));
    return {count, {}};
}

MailResult<QStringList> MaildirFolder::unreadFiles() const
{
    struct Entry {
        QString path;
        qint64 modified;
    };
    std::vector<Entry> entries;
    auto add = [&](const QString &dir, const QString &name) {
        const QString file = dir + QLatin1Char('/') + name;
        const QFileInfo info(file);
        // A FIFO or device under a message's name is no message.
        if (info.isFile())
            entries.push_back({file, info.lastModified().toMSecsSinceEpoch()});
    };
    const bool newRead = forEachMessage(newPath(), [&](const QString &name) { add(newPath(), name); });
    const bool curRead = forEachMessage(curPath(), [&](const QString &name) {
        if (!isSeen(name))
            add(curPath(), name);
    });
    if (!newRead || !curRead)
        return MailResult<QStringList>::failure(folderUnreadable(m_path));
    // Newest first; equal times fall back to the name, whose leading part is
    // the delivery time in seconds for names made by delivery agents.
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        if (a.modified != b.modified)
            return a.modified > b.modified;
        return a.path > b.path;
    });
    QStringList files;
    files.reserve(qsizetype(entries.size()));
    for (const Entry &e : entries)
        files << e.path;
    return {files, {}};
}

QHash<QString, QString> MaildirFolder::messagesByUniqueName(bool includeCur) const
{
    QHash<QString, QString> messages;
    forEachMessage(newPath(), [&](const QString &name) {
        messages.insert(uniqueName(name), newPath() + QLatin1Char('/') + name);
    });
    if (includeCur) {
        forEachMessage(curPath(), [&](const QString &name) {
            messages.insert(uniqueName(name), curPath() + QLatin1Char('/') + name);
        });
    }
    return messages;
}

} // namespace tilvano::mail
