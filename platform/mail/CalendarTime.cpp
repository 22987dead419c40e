#include "platform/mail/CalendarTime.h"

namespace tilvano::mail::calendartime {

namespace {

QDateTime localDateTime(const icaltimetype &t, bool dateOnly)
{
    const QDate date(t.year, t.month, t.day);
    const QTime time = dateOnly ? QTime(0, 0) : QTime(t.hour, t.minute, t.second);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::LocalTime).toUTC();
}

qint64 fieldsAsUtc(const QDateTime &dateTime)
{
    return QDateTime(dateTime.date(), dateTime.time(), Qt::UTC).toSecsSinceEpoch();
}

} // namespace

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

qint64 wallSeconds(const icaltimetype &t)
{
    const QDate date(t.year, t.month, t.day);
    const QTime time = icaltime_is_date(t) ? QTime(0, 0) : QTime(t.hour, t.minute, t.second);
    return QDateTime(date, time.isValid() ? time : QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
}

icaltimetype atWallSeconds(qint64 wall, const icaltimetype &like)
{
    const QDateTime fields = QDateTime::fromSecsSinceEpoch(wall, Qt::UTC);
    icaltimetype t = like;
    t.year = fields.date().year();
    t.month = fields.date().month();
    t.day = fields.date().day();
    t.hour = icaltime_is_date(like) ? 0 : fields.time().hour();
    t.minute = icaltime_is_date(like) ? 0 : fields.time().minute();
    t.second = icaltime_is_date(like) ? 0 : fields.time().second();
    return t;
}

qint64 wallSecondsAt(const QDateTime &utc, const icaltimetype &like)
{
    if (!icaltime_is_date(like) && icaltime_is_utc(like))
        return utc.toSecsSinceEpoch();
    if (!icaltime_is_date(like) && like.zone) {
        const icaltimetype local = icaltime_from_timet_with_zone(utc.toSecsSinceEpoch(), 0,
                                                                 const_cast<icaltimezone *>(like.zone));
        return wallSeconds(local);
    }
    return fieldsAsUtc(utc.toLocalTime());
}

} // namespace tilvano::mail::calendartime
