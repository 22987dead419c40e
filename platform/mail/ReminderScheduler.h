#pragma once

#include "platform/mail/CalendarFolder.h"
#include "platform/mail/Clock.h"
#include "platform/mail/ReminderItem.h"
#include "platform/mail/WorkerThread.h"

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <memory>

namespace tilvano::mail {

// Raises the alarms of the events in a calendar folder. The files are read
// and their recurrences expanded on a worker thread, a day ahead at a time;
// this side only keeps the list that came back and one timer set to its next
// alarm, set again whenever the folder changes, so nothing is polled and the
// interface never waits for a calendar. Only alarms falling due after
// start() are raised; a reminder that passed while the application was not
// running is not brought up later.
class ReminderScheduler : public QObject {
    Q_OBJECT
public:
    ReminderScheduler(QString calendarDir, const Clock &clock, QObject *parent = nullptr);
    ~ReminderScheduler() override;

    void start();
    // When the timer will next raise an alarm; invalid when none is known.
    QDateTime nextDue() const { return m_nextDue; }
    // Raises what is due by the clock's time, then sets the timer again.
    void raiseDue();
    // Raises what was due with the files as they were, then has them read
    // again and the alarms computed anew.
    void reload();

signals:
    void reminderDue(const tilvano::mail::ReminderItem &item);
    // A computation came back (after start and after every change).
    void alarmsComputed();
    // A line for the user's log (an event given up as too costly to compute);
    // the log is written by whoever uses the mail application.
    void noteForLog(const QString &line);

private:
    // Emits the reminders; false when a receiver destroyed this meanwhile.
    bool raise(const QList<ReminderItem> &due);
    static QString identity(const ReminderItem &item);
    void requestComputation();
    void computed(AlarmComputation result);
    void watchFolders();
    void arm();

    QString m_dir;
    const Clock &m_clock;
    QTimer m_timer;
    QFileSystemWatcher m_watcher;
    // Used only on the worker thread, by one job at a time.
    std::shared_ptr<CalendarFolder> m_folder;
    WorkerThread m_worker;
    QList<ReminderItem> m_upcoming; // due after m_raisedUpTo, up to m_computedUntil
    QDateTime m_computedUntil;
    QDateTime m_raisedUpTo;
    // Every alarm up to here is raised, as a complete computation knows. Past
    // it, while the list in hand is incomplete, the ones already raised.
    QDateTime m_settledUpTo;
    QSet<QString> m_raisedUnsettled;
    bool m_listComplete = false;
    QDateTime m_nextDue;
    bool m_started = false;
    bool m_computing = false;
    bool m_computeAgain = false;
    // Grows while computations are cut short for time alone (a slow or busy
    // machine) so that one of them finishes; back to the default once one has.
    std::chrono::milliseconds m_computeTime = CalendarAlarms::kBudgetTime;
};

} // namespace tilvano::mail
