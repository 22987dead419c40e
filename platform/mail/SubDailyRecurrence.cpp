#include "platform/mail/SubDailyRecurrence.h"

#include "platform/mail/CalendarTime.h"

#include <QDate>
#include <QList>

#include <algorithm>

namespace tilvano::mail {

namespace {

using namespace calendartime;

constexpr qint64 kDay = 24 * 60 * 60;
// Zone offsets and summer time never move a wall clock by more than a day.
constexpr qint64 kWallMargin = kDay;

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

qint64 ceilDiv(qint64 a, qint64 b)
{
    return -floorDiv(-a, b);
}

template <std::size_t N>
QList<int> values(const short (&parts)[N])
{
    QList<int> list;
    for (std::size_t i = 0; i < N && parts[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i)
        list << parts[i];
    return list;
}

// The BY parts of the rule, read once.
struct Parts {
    QList<int> seconds, minutes, hours, weekdays, monthDays, yearDays, months, setPositions;

    explicit Parts(const icalrecurrencetype &rule)
        : seconds(values(rule.by_second))
        , minutes(values(rule.by_minute))
        , hours(values(rule.by_hour))
        , monthDays(values(rule.by_month_day))
        , yearDays(values(rule.by_year_day))
        , months(values(rule.by_month))
        , setPositions(values(rule.by_set_pos))
    {
        // A weekday with a position ("2MO") means nothing below a month;
        // the weekday is what counts.
        for (int day : values(rule.by_day))
            weekdays << int(icalrecurrencetype_day_day_of_week(short(day)));
    }

    bool dayMatches(const QDate &date) const
    {
        if (!months.isEmpty() && !months.contains(date.month()))
            return false;
        if (!monthDays.isEmpty() && !monthDays.contains(date.day())
            && !monthDays.contains(date.day() - date.daysInMonth() - 1))
            return false;
        if (!yearDays.isEmpty() && !yearDays.contains(date.dayOfYear())
            && !yearDays.contains(date.dayOfYear() - date.daysInYear() - 1))
            return false;
        // libical counts Sunday as 1, Qt counts Monday as 1.
        return weekdays.isEmpty() || weekdays.contains(date.dayOfWeek() % 7 + 1);
    }
};

} // namespace

bool SubDailyRecurrence::handles(const icalrecurrencetype &rule)
{
    return rule.freq == ICAL_SECONDLY_RECURRENCE || rule.freq == ICAL_MINUTELY_RECURRENCE
        || rule.freq == ICAL_HOURLY_RECURRENCE;
}

SubDailyRecurrence::Outcome SubDailyRecurrence::expand(const icalrecurrencetype &rule, const icaltimetype &dtstart,
                                                       const QDateTime &from, const QDateTime &until,
                                                       RecurrenceBudget &budget,
                                                       const std::function<void(const QDateTime &)> &visit)
{
    const Parts parts(rule);
    const qint64 unit = rule.freq == ICAL_SECONDLY_RECURRENCE ? 1 : rule.freq == ICAL_MINUTELY_RECURRENCE ? 60 : 3600;
    const qint64 step = std::max(1, int(rule.interval)) * unit;
    const qint64 startWall = wallSeconds(dtstart);
    const qint64 firstPeriod = startWall - (startWall - floorDiv(startWall, unit) * unit);
    const QDateTime ruleEnd = icaltime_is_null_time(rule.until) ? QDateTime() : toUtc(rule.until);

    // Where inside its period an occurrence falls: finer parts than the
    // period spread it out, otherwise it keeps the start's minute and second.
    const int startMinute = dtstart.minute;
    const int startSecond = dtstart.second;
    QList<qint64> offsets;
    if (rule.freq == ICAL_SECONDLY_RECURRENCE) {
        offsets << 0;
    } else {
        const QList<int> secondsIn = parts.seconds.isEmpty() ? QList<int>{startSecond} : parts.seconds;
        const QList<int> minutesIn = rule.freq == ICAL_HOURLY_RECURRENCE
            ? (parts.minutes.isEmpty() ? QList<int>{startMinute} : parts.minutes)
            : QList<int>{0};
        for (int minute : minutesIn) {
            for (int second : secondsIn) {
                if (minute >= 0 && minute < 60 && second >= 0 && second < 61)
                    offsets << qint64(minute) * 60 + second;
            }
        }
        std::sort(offsets.begin(), offsets.end());
        offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    }
    // Parts at or above the period's own size only limit.
    const bool limitsMinute = rule.freq == ICAL_SECONDLY_RECURRENCE || rule.freq == ICAL_MINUTELY_RECURRENCE;
    const bool limitsSecond = rule.freq == ICAL_SECONDLY_RECURRENCE;
    const bool onePerPeriod = offsets.size() == 1 && parts.setPositions.isEmpty() && parts.months.isEmpty()
        && parts.monthDays.isEmpty() && parts.yearDays.isEmpty() && parts.weekdays.isEmpty() && parts.hours.isEmpty()
        && (!limitsMinute || parts.minutes.isEmpty()) && (!limitsSecond || parts.seconds.isEmpty());

    qint64 period = 0;   // index of the period being looked at
    qint64 counted = 0;  // occurrences before it
    // Counting from the start is only needed when occurrences must be
    // counted and cannot be worked out from the period's index.
    if (rule.count <= 0 || onePerPeriod) {
        const qint64 fromWall = wallSecondsAt(from, dtstart) - kWallMargin;
        if (fromWall > firstPeriod)
            period = (fromWall - firstPeriod) / step;
        counted = period;
    }
    const qint64 lastWall = wallSecondsAt(until, dtstart) + kWallMargin;
    // The first period not before `boundary`, and never the same one again.
    auto periodFrom = [&](qint64 boundary) { return std::max(period + 1, ceilDiv(boundary - firstPeriod, step)); };

    QList<qint64> candidates;
    for (;;) {
        if (!budget.spend())
            return Outcome::OutOfBudget;
        const qint64 periodStart = firstPeriod + period * step;
        if (periodStart > lastWall)
            return Outcome::Done;
        const QDateTime fields = QDateTime::fromSecsSinceEpoch(periodStart, Qt::UTC);
        if (!parts.dayMatches(fields.date())) {
            period = periodFrom((floorDiv(periodStart, kDay) + 1) * kDay);
            continue;
        }
        if (!parts.hours.isEmpty() && !parts.hours.contains(fields.time().hour())) {
            period = periodFrom((floorDiv(periodStart, 3600) + 1) * 3600);
            continue;
        }
        if (limitsMinute && !parts.minutes.isEmpty() && !parts.minutes.contains(fields.time().minute())) {
            period = periodFrom((floorDiv(periodStart, 60) + 1) * 60);
            continue;
        }
        if (limitsSecond && !parts.seconds.isEmpty() && !parts.seconds.contains(fields.time().second())) {
            ++period;
            continue;
        }

        candidates.clear();
        for (qint64 offset : std::as_const(offsets)) {
            if (periodStart + offset >= startWall)
                candidates << periodStart + offset;
        }
        if (!parts.setPositions.isEmpty()) {
            QList<qint64> chosen;
            const qsizetype n = candidates.size();
            for (qsizetype i = 0; i < n; ++i) {
                if (parts.setPositions.contains(int(i + 1)) || parts.setPositions.contains(int(i - n)))
                    chosen << candidates[i];
            }
            candidates = chosen;
        }
        for (qint64 wall : std::as_const(candidates)) {
            if (rule.count > 0 && ++counted > rule.count)
                return Outcome::Done;
            const QDateTime start = toUtc(atWallSeconds(wall, dtstart));
            if (!start.isValid())
                continue;
            if ((ruleEnd.isValid() && start > ruleEnd) || start > until)
                return Outcome::Done;
            if (start >= from)
                visit(start);
        }
        ++period;
    }
}

} // namespace tilvano::mail
