#include "platform/mail/CalendarAlarms.h"

#include <QSet>

#include <libical/ical.h>

#include <algorithm>
#include <limits>
#include <mutex>

namespace tilvano::mail {

namespace {

// A runaway rule (every second for years) must not stall the application.
constexpr int kMaxOccurrences = 100000;
constexpr int kMaxRepeats = 100;

void ensureLibical()
{
    static std::once_flag once;
    // libical can be built to abort on malformed input; we want a result.
    std::call_once(once, [] { icalerror_set_errors_are_fatal(0); });
}

QDateTime localDateTime(const icaltimetype &t, bool dateOnly)
{
    const QDate date(t.year, t.month, t.day);
    const QTime time = dateOnly ? QTime(0, 0) : QTime(t.hour, t.minute, t.second);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::LocalTime).toUTC();
}

// A calendar time as an instant in UTC. All-day and floating times are the
// user's local time; a time zone the file does not define and libical does
// not know is taken as local time as well, which is right for most users.
QDateTime toUtc(const icaltimetype &t)
{
    if (icaltime_is_null_time(t) || !icaltime_is_valid_time(t))
        return {};
    if (icaltime_is_date(t))
        return localDateTime(t, true);
    if (icaltime_is_utc(t))
        return QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(t, icaltimezone_get_utc_timezone()),
                                             Qt::UTC);
    if (t.zone)
        return QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(t, t.zone), Qt::UTC);
    return localDateTime(t, false);
}

struct Trigger {
    bool absolute = false;
    QDateTime at;            // absolute triggers
    qint64 offsetSeconds = 0; // relative triggers
    bool relatedToEnd = false;
};

QList<Trigger> triggersOf(icalcomponent *event)
{
    QList<Trigger> triggers;
    for (icalcomponent *alarm = icalcomponent_get_first_component(event, ICAL_VALARM_COMPONENT); alarm;
         alarm = icalcomponent_get_next_component(event, ICAL_VALARM_COMPONENT)) {
        icalproperty *property = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
        if (!property)
            continue;
        const icaltriggertype trigger = icalproperty_get_trigger(property);
        Trigger t;
        if (!icaltime_is_null_time(trigger.time)) {
            t.absolute = true;
            t.at = toUtc(trigger.time);
            if (!t.at.isValid())
                continue;
        } else {
            if (icaldurationtype_is_bad_duration(trigger.duration))
                continue;
            t.offsetSeconds = icaldurationtype_as_int(trigger.duration);
            icalparameter *related = icalproperty_get_first_parameter(property, ICAL_RELATED_PARAMETER);
            t.relatedToEnd = related && icalparameter_get_related(related) == ICAL_RELATED_END;
        }
        triggers << t;

        // REPEAT with DURATION snoozes the alarm that many more times.
        icalproperty *repeat = icalcomponent_get_first_property(alarm, ICAL_REPEAT_PROPERTY);
        icalproperty *interval = icalcomponent_get_first_property(alarm, ICAL_DURATION_PROPERTY);
        if (!repeat || !interval)
            continue;
        const int times = std::clamp(icalproperty_get_repeat(repeat), 0, kMaxRepeats);
        const icaldurationtype step = icalproperty_get_duration(interval);
        if (icaldurationtype_is_bad_duration(step) || icaldurationtype_as_int(step) <= 0)
            continue;
        const qint64 stepSeconds = icaldurationtype_as_int(step);
        for (int k = 1; k <= times; ++k) {
            Trigger again = t;
            if (again.absolute)
                again.at = t.at.addSecs(k * stepSeconds);
            else
                again.offsetSeconds = t.offsetSeconds + k * stepSeconds;
            triggers << again;
        }
    }
    return triggers;
}

QSet<qint64> excludedStarts(icalcomponent *event)
{
    QSet<qint64> excluded;
    for (icalproperty *p = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
        const QDateTime at = toUtc(icalproperty_get_exdate(p));
        if (at.isValid())
            excluded.insert(at.toSecsSinceEpoch());
    }
    return excluded;
}

QString text(const char *utf8)
{
    return utf8 ? QString::fromUtf8(utf8).simplified() : QString();
}

// Calls `visit` with every alarm of the event falling due in (after, until].
template <typename Visit>
void visitAlarms(icalcomponent *event, const QString &filePath, const QDateTime &after, const QDateTime &until,
                 Visit visit)
{
    if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED)
        return;
    const QList<Trigger> triggers = triggersOf(event);
    if (triggers.isEmpty())
        return;
    const icaltimetype dtstart = icalcomponent_get_dtstart(event);
    const QDateTime start = toUtc(dtstart);
    if (!start.isValid())
        return;
    const bool allDay = icaltime_is_date(dtstart);
    QDateTime end = toUtc(icalcomponent_get_dtend(event));
    if (!end.isValid() || end < start)
        end = allDay ? start.addDays(1) : start;
    const qint64 length = start.secsTo(end);

    ReminderItem item;
    item.subject = text(icalcomponent_get_summary(event));
    item.location = text(icalcomponent_get_location(event));
    item.allDay = allDay;
    item.filePath = filePath;

    auto inWindow = [&](const QDateTime &due) { return due > after && due <= until; };

    // Absolute triggers fire once, whatever the recurrence.
    for (const Trigger &t : triggers) {
        if (t.absolute && inWindow(t.at)) {
            item.start = start;
            item.due = t.at;
            visit(item);
        }
    }

    // The earliest a relative alarm can fire, measured from its occurrence's
    // start; occurrences starting later than `until` minus this cannot matter.
    qint64 earliestOffset = std::numeric_limits<qint64>::max();
    bool anyRelative = false;
    for (const Trigger &t : triggers) {
        if (t.absolute)
            continue;
        anyRelative = true;
        earliestOffset = std::min(earliestOffset, t.offsetSeconds + (t.relatedToEnd ? length : 0));
    }
    if (!anyRelative)
        return;

    auto visitOccurrence = [&](const QDateTime &occurrence) {
        for (const Trigger &t : triggers) {
            if (t.absolute)
                continue;
            const QDateTime base = t.relatedToEnd ? occurrence.addSecs(length) : occurrence;
            const QDateTime due = base.addSecs(t.offsetSeconds);
            if (inWindow(due)) {
                item.start = occurrence;
                item.due = due;
                visit(item);
            }
        }
    };

    icalproperty *rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
    if (!rule) {
        visitOccurrence(start);
        return;
    }
    const QSet<qint64> excluded = excludedStarts(event);
    icalrecur_iterator *it = icalrecur_iterator_new(icalproperty_get_rrule(rule), dtstart);
    if (!it) {
        visitOccurrence(start);
        return;
    }
    for (int n = 0; n < kMaxOccurrences; ++n) {
        const icaltimetype next = icalrecur_iterator_next(it);
        if (icaltime_is_null_time(next))
            break;
        icaltimetype zoned = next;
        zoned.zone = dtstart.zone;
        const QDateTime occurrence = toUtc(zoned);
        if (!occurrence.isValid() || occurrence.addSecs(earliestOffset) > until)
            break;
        if (!excluded.contains(occurrence.toSecsSinceEpoch()))
            visitOccurrence(occurrence);
    }
    icalrecur_iterator_free(it);
}

} // namespace

CalendarAlarms CalendarAlarms::parse(const QByteArray &icsText, const QString &filePath)
{
    ensureLibical();
    CalendarAlarms alarms;
    alarms.m_filePath = filePath;
    // The parser reads a C string; a NUL inside would end the text there anyway.
    const QByteArray terminated(icsText.constData(), qstrnlen(icsText.constData(), size_t(icsText.size())));
    icalcomponent *root = icalparser_parse_string(terminated.constData());
    if (root)
        alarms.m_root = std::shared_ptr<::icalcomponent_impl>(root, [](icalcomponent *c) { icalcomponent_free(c); });
    return alarms;
}

QList<ReminderItem> CalendarAlarms::dueBetween(const QDateTime &after, const QDateTime &until) const
{
    QList<ReminderItem> due;
    if (!m_root || !after.isValid() || !until.isValid() || until <= after)
        return due;
    icalcomponent *root = m_root.get();
    auto collect = [&](const ReminderItem &item) { due << item; };
    if (icalcomponent_isa(root) == ICAL_VEVENT_COMPONENT) {
        visitAlarms(root, m_filePath, after, until, collect);
    } else {
        for (icalcomponent *event = icalcomponent_get_first_component(root, ICAL_VEVENT_COMPONENT); event;
             event = icalcomponent_get_next_component(root, ICAL_VEVENT_COMPONENT))
            visitAlarms(event, m_filePath, after, until, collect);
    }
    std::stable_sort(due.begin(), due.end(), [](const ReminderItem &a, const ReminderItem &b) { return a.due < b.due; });
    return due;
}

QDateTime CalendarAlarms::nextDueAfter(const QDateTime &after, const QDateTime &horizon) const
{
    const QList<ReminderItem> due = dueBetween(after, horizon);
    return due.isEmpty() ? QDateTime() : due.first().due;
}

} // namespace tilvano::mail
