#pragma once

#include <QDateTime>

#include <libical/ical.h>

namespace tilvano::mail::calendartime {

// Calendar times as instants, and the wall clock an event is written in.
//
// Recurrences step through the wall clock of the event's own zone (09:00
// every day stays 09:00 across a change to summer time), so the stepping is
// done in "wall seconds": the time's own fields counted as if they were UTC.

// A calendar time as an instant in UTC; invalid for null or broken times.
// All-day and floating times are the user's local time; a time zone the file
// does not define and libical does not know is taken as local time as well,
// which is right for most users.
QDateTime toUtc(const icaltimetype &t);

qint64 wallSeconds(const icaltimetype &t);
// The time whose fields are `wall`, in the zone (and of the kind) of `like`.
icaltimetype atWallSeconds(qint64 wall, const icaltimetype &like);
// What the wall clock of `like`'s zone shows at the instant `utc`.
qint64 wallSecondsAt(const QDateTime &utc, const icaltimetype &like);

} // namespace tilvano::mail::calendartime
