#pragma once

#include "platform/mail/CalendarAlarms.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

namespace tilvano::mail {

// The alarms one computation found in a calendar folder.
struct AlarmComputation {
    QDateTime after;
    QDateTime until;
    QList<ReminderItem> due;  // in (after, until], earliest first
    QStringList givenUp;      // one line per event given up, naming it and its file
    bool outOfBudget = false; // some events were not looked at: compute again
};

// The .ics files of a calendar folder (a vdir: one folder per calendar, one
// file per event; files directly in the folder count too), read and kept
// between computations while they stay unchanged. Does blocking work (file
// reads, recurrence expansion): for a worker thread, never the interface.
class CalendarFolder {
public:
    explicit CalendarFolder(QString dir);

    // The folder and its calendars' folders, as far as they exist.
    static QStringList folders(const QString &dir);

    // Alarms due in (after, until], within one recurrence budget for all files.
    AlarmComputation compute(const QDateTime &after, const QDateTime &until,
                             std::chrono::milliseconds time = CalendarAlarms::kBudgetTime);

    static constexpr qint64 maxFileBytes = 4 * 1024 * 1024;

private:
    struct CachedFile {
        QDateTime modified;
        qint64 size = -1;
        CalendarAlarms alarms;
    };

    void readFiles();

    QString m_dir;
    QHash<QString, CachedFile> m_files;
};

} // namespace tilvano::mail
