#include "platform/mail/ReminderScheduler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>

namespace tilvano::mail {

namespace {

// With no alarm in sight the timer still wakes once a day, so that a long
// stretch without alarms needs no giant interval and clock changes are caught.
constexpr qint64 kHorizonSeconds = 24 * 60 * 60;

} // namespace

ReminderScheduler::ReminderScheduler(QString calendarDir, const Clock &clock, QObject *parent)
    : QObject(parent)
    , m_dir(std::move(calendarDir))
    , m_clock(clock)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ReminderScheduler::raiseDue);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &ReminderScheduler::reload);
}

void ReminderScheduler::start()
{
    m_started = true;
    m_raisedUpTo = m_clock.now();
    readFiles();
    arm();
}

void ReminderScheduler::raiseDue()
{
    if (!m_started)
        return;
    const QDateTime now = m_clock.now();
    if (now > m_raisedUpTo) {
        QList<ReminderItem> due;
        for (const CachedFile &file : std::as_const(m_files))
            due << file.alarms.dueBetween(m_raisedUpTo, now);
        std::stable_sort(due.begin(), due.end(),
                         [](const ReminderItem &a, const ReminderItem &b) { return a.due < b.due; });
        m_raisedUpTo = now;
        // A receiver may release the application, and this with it.
        const QPointer<ReminderScheduler> alive(this);
        for (const ReminderItem &item : std::as_const(due)) {
            emit reminderDue(item);
            if (!alive)
                return;
        }
    }
    arm();
}

void ReminderScheduler::reload()
{
    if (!m_started)
        return;
    m_timer.stop();
    const QPointer<ReminderScheduler> alive(this);
    raiseDue();
    if (!alive)
        return;
    readFiles();
    arm();
}

void ReminderScheduler::readFiles()
{
    watchFolders();
    QStringList files;
    QStringList folders{m_dir};
    const QDir top(m_dir);
    for (const QString &sub : top.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        folders << top.filePath(sub);
    for (const QString &folder : std::as_const(folders)) {
        const QDir dir(folder);
        for (const QString &name : dir.entryList({QStringLiteral("*.ics")}, QDir::Files))
            files << dir.filePath(name);
    }

    QHash<QString, CachedFile> fresh;
    for (const QString &path : std::as_const(files)) {
        const QFileInfo info(path);
        auto cached = m_files.constFind(path);
        if (cached != m_files.constEnd() && cached->modified == info.lastModified() && cached->size == info.size()) {
            fresh.insert(path, *cached);
            continue;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        CachedFile entry;
        entry.modified = info.lastModified();
        entry.size = info.size();
        entry.alarms = CalendarAlarms::parse(file.read(maxFileBytes), path);
        fresh.insert(path, entry);
    }
    m_files = std::move(fresh);
}

void ReminderScheduler::watchFolders()
{
    QStringList folders;
    if (QFileInfo(m_dir).isDir()) {
        folders << m_dir;
        const QDir top(m_dir);
        for (const QString &sub : top.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            folders << top.filePath(sub);
    }
    // Only the difference changes, so no change slips through while a
    // folder is briefly unwatched.
    QStringList gone;
    for (const QString &watched : m_watcher.directories()) {
        if (!folders.contains(watched))
            gone << watched;
    }
    if (!gone.isEmpty())
        m_watcher.removePaths(gone);
    QStringList added;
    for (const QString &folder : std::as_const(folders)) {
        if (!m_watcher.directories().contains(folder))
            added << folder;
    }
    if (!added.isEmpty())
        m_watcher.addPaths(added);
}

void ReminderScheduler::arm()
{
    m_timer.stop();
    const QDateTime now = m_clock.now();
    const QDateTime from = std::max(m_raisedUpTo, now);
    const QDateTime horizon = from.addSecs(kHorizonSeconds);
    QDateTime next;
    for (const CachedFile &file : std::as_const(m_files)) {
        const QDateTime due = file.alarms.nextDueAfter(m_raisedUpTo, horizon);
        if (due.isValid() && (!next.isValid() || due < next))
            next = due;
    }
    m_nextDue = next;
    const QDateTime wake = next.isValid() ? next : horizon;
    const qint64 ms = std::clamp<qint64>(now.msecsTo(wake), 0, kHorizonSeconds * 1000);
    m_timer.start(std::chrono::milliseconds(ms));
}

} // namespace tilvano::mail
