#include "platform/mail/CalendarFolder.h"

#include "system/RegularFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace tilvano::mail {

CalendarFolder::CalendarFolder(QString dir)
    : m_dir(std::move(dir))
{
}

QStringList CalendarFolder::folders(const QString &dir)
{
    QStringList found;
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        return found;
    found << dir;
    const QDir top(dir);
    for (const QString &sub : top.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        found << top.filePath(sub);
    return found;
}

void CalendarFolder::readFiles()
{
    QStringList files;
    for (const QString &folder : folders(m_dir)) {
        const QDir dir(folder);
        for (const QString &name : dir.entryList({QStringLiteral("*.ics")}, QDir::Files))
            files << dir.filePath(name);
    }
    // A fixed order, so that the same event runs a budget out every time.
    std::sort(files.begin(), files.end());

    QHash<QString, CachedFile> fresh;
    for (const QString &path : std::as_const(files)) {
        const QFileInfo info(path);
        auto cached = m_files.constFind(path);
        if (cached != m_files.constEnd() && cached->modified == info.lastModified() && cached->size == info.size()) {
            fresh.insert(path, *cached);
            continue;
        }
        // Whatever sits in the folder under a calendar's name (a FIFO, a
        // device, a link to one) is left alone: only regular files are read.
        const std::optional<QByteArray> text = readRegularFile(path, maxFileBytes);
        if (!text)
            continue;
        CachedFile entry;
        entry.modified = info.lastModified();
        entry.size = info.size();
        entry.alarms = CalendarAlarms::parse(*text, path);
        fresh.insert(path, entry);
    }
    m_files = std::move(fresh);
}

AlarmComputation CalendarFolder::compute(const QDateTime &after, const QDateTime &until,
                                         std::chrono::milliseconds time)
{
    AlarmComputation result;
    result.after = after;
    result.until = until;
    readFiles();
    // The budget starts once the files are read: it is for the rules.
    RecurrenceBudget budget = CalendarAlarms::defaultBudget(time);
    QStringList paths = m_files.keys();
    std::sort(paths.begin(), paths.end());
    for (const QString &path : std::as_const(paths)) {
        const AlarmSearch found = m_files[path].alarms.search(after, until, budget);
        result.due << found.due;
        for (const QString &event : found.givenUp)
            result.givenUp << QStringLiteral("\u201E%1\u201C in %2").arg(event, path);
        if (found.outOfBudget) {
            result.outOfBudget = true;
            break;
        }
    }
    std::stable_sort(result.due.begin(), result.due.end(),
                     [](const ReminderItem &a, const ReminderItem &b) { return a.due < b.due; });
    return result;
}

} // namespace tilvano::mail
