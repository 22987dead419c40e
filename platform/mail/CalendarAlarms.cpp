#include "platform/mail/CalendarAlarms.h"

#include <QElapsedTimer>

#include "platform/mail/CalendarTime.h"
#include "platform/mail/SubDailyRecurrence.h"

#include <QSet>

#include <libical/ical.h>

#include <algorithm>
#include <limits>
#include <mutex>

namespace tilvano::mail {

namespace {

using calendartime::toUtc;

constexpr int kMaxRepeats = 100;

void ensureLibical()
{
    static std::once_flag once;
    // libical can be built to abort on malformed input; we want a result.
    std::call_once(once, [] { icalerror_set_errors_are_fatal(0); });
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

enum class Expansion { Done, OutOfBudget };

// The starts of the event's occurrences in [from, until], EXDATEs left out.
template <typename Visit>
Expansion visitOccurrences(icalcomponent *event, const icaltimetype &dtstart, const QDateTime &from,
                           const QDateTime &until, RecurrenceBudget &budget, Visit visit)
{
    const QDateTime start = toUtc(dtstart);
    icalproperty *ruleProperty = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
    if (!ruleProperty) {
        if (start >= from && start <= until)
            visit(start);
        return Expansion::Done;
    }
    const icalrecurrencetype rule = icalproperty_get_rrule(ruleProperty);
    const QSet<qint64> excluded = excludedStarts(event);
    auto visitUnlessExcluded = [&](const QDateTime &occurrence) {
        if (!excluded.contains(occurrence.toSecsSinceEpoch()))
            visit(occurrence);
    };
    if (SubDailyRecurrence::handles(rule)) {
        return SubDailyRecurrence::expand(rule, dtstart, from, until, budget, visitUnlessExcluded)
                == SubDailyRecurrence::Outcome::Done
            ? Expansion::Done
            : Expansion::OutOfBudget;
    }

    // Days and longer: libical's own iterator, whose every call ends within
    // a bounded number of days. Without COUNT it starts just before `from`
    // instead of walking every occurrence since the event began.
    icalrecur_iterator *it = icalrecur_iterator_new(rule, dtstart);
    if (!it) {
        if (start >= from && start <= until)
            visit(start);
        return Expansion::Done;
    }
    const qint64 fromWall = calendartime::wallSecondsAt(from, dtstart) - 2 * 24 * 60 * 60;
    if (rule.count <= 0 && fromWall > calendartime::wallSeconds(dtstart))
        icalrecur_iterator_set_start(it, calendartime::atWallSeconds(fromWall, dtstart));
    Expansion outcome = Expansion::Done;
    for (;;) {
        if (!budget.spend()) {
            outcome = Expansion::OutOfBudget;
            break;
        }
        const icaltimetype next = icalrecur_iterator_next(it);
        if (icaltime_is_null_time(next))
            break;
        icaltimetype zoned = next;
        zoned.zone = dtstart.zone;
        const QDateTime occurrence = toUtc(zoned);
        if (!occurrence.isValid() || occurrence > until)
            break;
        if (occurrence >= from)
            visitUnlessExcluded(occurrence);
    }
    icalrecur_iterator_free(it);
    return outcome;
}

// Calls `visit` with every alarm of the event falling due in (after, until].
template <typename Visit>
Expansion visitAlarms(icalcomponent *event, const QString &filePath, const QDateTime &after, const QDateTime &until,
                      RecurrenceBudget &budget, Visit visit)
{
    if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED)
        return Expansion::Done;
    const QList<Trigger> triggers = triggersOf(event);
    if (triggers.isEmpty())
        return Expansion::Done;
    const icaltimetype dtstart = icalcomponent_get_dtstart(event);
    const QDateTime start = toUtc(dtstart);
    if (!start.isValid())
        return Expansion::Done;
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

    // Only occurrences whose alarms can fall in the window are looked at:
    // those starting between `after` minus the latest alarm's distance from
    // the start and `until` minus the earliest one's.
    qint64 earliestOffset = std::numeric_limits<qint64>::max();
    qint64 latestOffset = std::numeric_limits<qint64>::min();
    for (const Trigger &t : triggers) {
        if (t.absolute)
            continue;
        const qint64 offset = t.offsetSeconds + (t.relatedToEnd ? length : 0);
        earliestOffset = std::min(earliestOffset, offset);
        latestOffset = std::max(latestOffset, offset);
    }
    if (latestOffset == std::numeric_limits<qint64>::min())
        return Expansion::Done;

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
    return visitOccurrences(event, dtstart, after.addSecs(-latestOffset), until.addSecs(-earliestOffset), budget,
                            visitOccurrence);
}

QString eventName(icalcomponent *event)
{
    const QString summary = text(icalcomponent_get_summary(event));
    return summary.isEmpty() ? text(icalcomponent_get_uid(event)) : summary;
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

AlarmSearch CalendarAlarms::search(const QDateTime &after, const QDateTime &until, RecurrenceBudget &budget)
{
    AlarmSearch result;
    if (!m_root || !after.isValid() || !until.isValid() || until <= after)
        return result;
    icalcomponent *root = m_root.get();
    auto collect = [&](const ReminderItem &item) { result.due << item; };
    int ordinal = 0;
    auto look = [&](icalcomponent *event) {
        const int number = ordinal++;
        if (m_givenUp.contains(number) || result.outOfBudget)
            return;
        QElapsedTimer own;
        own.start();
        if (visitAlarms(event, m_filePath, after, until, budget, collect) == Expansion::OutOfBudget) {
            result.outOfBudget = true;
            // Out of time, the event at hand is to blame only when it took a
            // good part of that time itself; otherwise the search is merely
            // cut short and the next one, given more time, goes on.
            const bool ownFault = std::chrono::milliseconds(own.elapsed()) * 4 > budget.time();
            if (budget.ranOutOfSteps() || budget.lastChance() || ownFault) {
                m_givenUp.insert(number);
                result.givenUp << eventName(event);
            }
        }
    };
    if (icalcomponent_isa(root) == ICAL_VEVENT_COMPONENT) {
        look(root);
    } else {
        for (icalcomponent *event = icalcomponent_get_first_component(root, ICAL_VEVENT_COMPONENT); event;
             event = icalcomponent_get_next_component(root, ICAL_VEVENT_COMPONENT))
            look(event);
    }
    std::stable_sort(result.due.begin(), result.due.end(),
                     [](const ReminderItem &a, const ReminderItem &b) { return a.due < b.due; });
    return result;
}

QList<ReminderItem> CalendarAlarms::dueBetween(const QDateTime &after, const QDateTime &until)
{
    RecurrenceBudget budget = defaultBudget();
    return search(after, until, budget).due;
}

RecurrenceBudget CalendarAlarms::defaultBudget(std::chrono::milliseconds time)
{
    return RecurrenceBudget(kBudgetSteps, time, time >= kLongestBudgetTime);
}

} // namespace tilvano::mail
