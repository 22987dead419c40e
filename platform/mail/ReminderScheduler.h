#pragma once

#include "platform/mail/CalendarAlarms.h"
#include "platform/mail/Clock.h"
#include "platform/mail/ReminderItem.h"

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QTimer>

namespace tilvano::mail {

// Raises the alarms of the events in a calendar folder (a vdir: one folder per
// calendar, one .ics file per event; .ics files directly in the folder count
// too). One timer is set to the next alarm and set again whenever the folder
// changes, so nothing is polled. Only alarms falling due after start() are
// raised; a reminder that passed while the application was not running is
// not brought up later.
class ReminderScheduler : public QObject {
    Q_OBJECT
public:
    ReminderScheduler(QString calendarDir, const Clock &clock, QObject *parent = nullptr);

    void start();
    // When the timer will next raise an alarm; invalid when none is known.
    QDateTime nextDue() const { return m_nextDue; }
    // Raises what is due by the clock's time, then sets the timer again.
    void raiseDue();
    // Re-reads the calendar files (after raising what was due with the old
    // ones) and sets the timer again.
    void reload();

    static constexpr qint64 maxFileBytes = 4 * 1024 * 1024;

signals:
    void reminderDue(const tilvano::mail::ReminderItem &item);

private:
    struct CachedFile {
        QDateTime modified;
        qint64 size = -1;
        CalendarAlarms alarms;
    };

    void readFiles();
    void watchFolders();
    void arm();

    QString m_dir;
    const Clock &m_clock;
    QTimer m_timer;
    QFileSystemWatcher m_watcher;
    QHash<QString, CachedFile> m_files;
    QDateTime m_raisedUpTo;
    QDateTime m_nextDue;
    bool m_started = false;
};

} // namespace tilvano::mail
