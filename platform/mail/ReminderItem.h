#pragma once

#include <QDateTime>
#include <QString>

namespace tilvano::mail {

// A calendar event whose alarm fell due.
struct ReminderItem {
    QString subject;    // the event's SUMMARY
    QString location;
    QDateTime start;    // the event's start, in UTC
    QDateTime due;      // when the alarm fell due, in UTC
    bool allDay = false;
    QString filePath;   // the .ics file the event came from

    QString defaultValue() const { return subject; }
    friend bool operator==(const ReminderItem &, const ReminderItem &) = default;
};

} // namespace tilvano::mail
