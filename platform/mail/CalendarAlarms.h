#pragma once

#include "platform/mail/RecurrenceBudget.h"
#include "platform/mail/ReminderItem.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

struct icalcomponent_impl;

namespace tilvano::mail {

struct AlarmSearch {
    QList<ReminderItem> due;  // earliest first
    QStringList givenUp;      // events whose recurrence ran the budget out: summary, else UID
    bool outOfBudget = false; // the search was cut short: later events were not looked at
};

// The events of one iCalendar file and when their alarms fall due. Triggers
// may be relative to the start or the end of the event, or absolute; event
// times may be UTC, floating (local), in a named time zone or all-day;
// recurring events (RRULE, EXDATE) give one alarm per occurrence.
//
// Recurrences are expanded only across the window asked about, never from
// the event's start, and within a budget: an event whose rule runs out its
// steps, or takes much of its time alone, is given up, now and in every later
// search of this object.
class CalendarAlarms {
public:
    CalendarAlarms() = default;
    // Any text is accepted; what is not iCalendar gives no alarms.
    static CalendarAlarms parse(const QByteArray &icsText, const QString &filePath = QString());

    // Alarms falling due after `after` and no later than `until`.
    AlarmSearch search(const QDateTime &after, const QDateTime &until, RecurrenceBudget &budget);
    // The same with a budget of its own, for a single file.
    QList<ReminderItem> dueBetween(const QDateTime &after, const QDateTime &until);

    // What one computation over a whole calendar folder may spend.
    static constexpr qint64 kBudgetSteps = 500000;
    static constexpr std::chrono::milliseconds kBudgetTime{2000};
    // A computation cut short for time alone is tried again with twice the
    // time, up to this much.
    static constexpr std::chrono::milliseconds kLongestBudgetTime{16000};
    static RecurrenceBudget defaultBudget(std::chrono::milliseconds time = kBudgetTime);

    bool isEmpty() const { return !m_root; }

private:
    std::shared_ptr<::icalcomponent_impl> m_root;
    QString m_filePath;
    QSet<int> m_givenUp; // events by their place in the file
};

} // namespace tilvano::mail
