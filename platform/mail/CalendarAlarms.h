#pragma once

#include "platform/mail/ReminderItem.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>

struct icalcomponent_impl;

namespace tilvano::mail {

// The events of one iCalendar file and when their alarms fall due. Triggers
// may be relative to the start or the end of the event, or absolute; event
// times may be UTC, floating (local), in a named time zone or all-day;
// recurring events (RRULE, EXDATE) give one alarm per occurrence.
class CalendarAlarms {
public:
    CalendarAlarms() = default;
    // Any text is accepted; what is not iCalendar gives no alarms.
    static CalendarAlarms parse(const QByteArray &icsText, const QString &filePath = QString());

    // Alarms falling due after `after` and no later than `until`, earliest first.
    QList<ReminderItem> dueBetween(const QDateTime &after, const QDateTime &until) const;
    // The first alarm falling due after `after` within `horizon`, invalid if none.
    QDateTime nextDueAfter(const QDateTime &after, const QDateTime &horizon) const;

    bool isEmpty() const { return !m_root; }

private:
    std::shared_ptr<::icalcomponent_impl> m_root;
    QString m_filePath;
};

} // namespace tilvano::mail
