#include "platform/mail/ReminderScheduler.h"


#include <QDebug>
#include <QPointer>

#include <algorithm>

namespace tilvano::mail {

namespace {

// Alarms are computed this far ahead. With no alarm in sight the timer still
// wakes once a day, so that a long stretch without alarms needs no giant
// interval and clock changes are caught.
constexpr qint64 kHorizonSeconds = 24 * 60 * 60;

} // namespace

ReminderScheduler::ReminderScheduler(QString calendarDir, const Clock &clock, QObject *parent)
    : QObject(parent)
    , m_dir(std::move(calendarDir))
    , m_clock(clock)
    , m_folder(std::make_shared<CalendarFolder>(m_dir))
    , m_worker(QStringLiteral("Kalender"))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ReminderScheduler::raiseDue);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &ReminderScheduler::reload);
}

ReminderScheduler::~ReminderScheduler() = default;

void ReminderScheduler::start()
{
    m_started = true;
    m_raisedUpTo = m_clock.now();
    m_settledUpTo = m_raisedUpTo;
    watchFolders();
    requestComputation();
}

void ReminderScheduler::raiseDue()
{
    if (!m_started)
        return;
    const QDateTime now = m_clock.now();
    const QDateTime known = m_computedUntil.isValid() ? std::min(now, m_computedUntil) : m_raisedUpTo;
    if (known > m_raisedUpTo) {
        QList<ReminderItem> due;
        while (!m_upcoming.isEmpty() && m_upcoming.first().due <= known)
            due << m_upcoming.takeFirst();
        m_raisedUpTo = known;
        if (!raise(due))
            return;
    }
    if (!m_computedUntil.isValid() || now >= m_computedUntil)
        requestComputation();
    arm();
}

bool ReminderScheduler::raise(const QList<ReminderItem> &due)
{
    if (m_listComplete) {
        m_settledUpTo = m_raisedUpTo;
        m_raisedUnsettled.clear();
    } else {
        for (const ReminderItem &item : due)
            m_raisedUnsettled.insert(identity(item));
    }
    // A receiver may release the application, and this with it.
    const QPointer<ReminderScheduler> alive(this);
    for (const ReminderItem &item : due) {
        emit reminderDue(item);
        if (!alive)
            return false;
    }
    return true;
}

QString ReminderScheduler::identity(const ReminderItem &item)
{
    return QString::number(item.due.toMSecsSinceEpoch()) + QLatin1Char('|') + item.filePath + QLatin1Char('|')
        + item.subject;
}

void ReminderScheduler::reload()
{
    if (!m_started)
        return;
    const QPointer<ReminderScheduler> alive(this);
    raiseDue();
    if (!alive)
        return;
    watchFolders();
    requestComputation();
}

void ReminderScheduler::requestComputation()
{
    if (m_computing) {
        m_computeAgain = true;
        return;
    }
    m_computing = true;
    const QDateTime after = m_settledUpTo;
    const QDateTime until = std::max(m_clock.now(), m_raisedUpTo).addSecs(kHorizonSeconds);
    m_worker.post([folder = m_folder, after, until, time = m_computeTime] { return folder->compute(after, until, time); },
                  [this](AlarmComputation result) { computed(std::move(result)); });
}

void ReminderScheduler::computed(AlarmComputation result)
{
    m_computing = false;
    for (const QString &event : std::as_const(result.givenUp)) {
        const QString line = QStringLiteral("Kalender: Die Wiederholungen von %1 übersteigen das Rechenbudget; "
                                            "der Termin wird übergangen.")
                                 .arg(event);
        qWarning().noquote() << line;
        emit noteForLog(line);
    }
    // Alarms already passed were raised from an earlier list, except those
    // of events that an earlier computation cut short had not looked at:
    // those are raised now, late rather than never.
    m_upcoming.clear();
    QList<ReminderItem> late;
    for (const ReminderItem &item : std::as_const(result.due)) {
        if (item.due > m_raisedUpTo)
            m_upcoming << item;
        else if (!m_raisedUnsettled.contains(identity(item)))
            late << item;
    }
    m_computedUntil = result.until;
    m_listComplete = !result.outOfBudget;
    if (!result.outOfBudget)
        m_computeTime = CalendarAlarms::kBudgetTime;
    else if (result.givenUp.isEmpty())
        m_computeTime = std::min(m_computeTime * 2, CalendarAlarms::kLongestBudgetTime);
    // A computation cut short has given up the event that ran the budget
    // out; the next one goes on past it.
    if (m_computeAgain || result.outOfBudget) {
        m_computeAgain = false;
        requestComputation();
    }
    const QPointer<ReminderScheduler> alive(this);
    if (!raise(late))
        return;
    emit alarmsComputed();
    if (alive)
        raiseDue();
}

void ReminderScheduler::watchFolders()
{
    const QStringList folders = CalendarFolder::folders(m_dir);
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
    for (const QString &folder : folders) {
        if (!m_watcher.directories().contains(folder))
            added << folder;
    }
    if (!added.isEmpty())
        m_watcher.addPaths(added);
}

void ReminderScheduler::arm()
{
    m_timer.stop();
    m_nextDue = m_upcoming.isEmpty() ? QDateTime() : m_upcoming.first().due;
    if (!m_computedUntil.isValid())
        return; // the computation's result sets the timer
    const QDateTime now = m_clock.now();
    const QDateTime wake = m_nextDue.isValid() ? m_nextDue : m_computedUntil;
    const qint64 ms = std::clamp<qint64>(now.msecsTo(wake), 0, kHorizonSeconds * 1000);
    m_timer.start(std::chrono::milliseconds(ms));
}

} // namespace tilvano::mail
