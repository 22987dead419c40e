#pragma once

#include "platform/mail/RecurrenceBudget.h"

#include <QDateTime>

#include <libical/ical.h>

#include <functional>

namespace tilvano::mail {

// The occurrences of a rule that repeats every so many hours, minutes or
// seconds, walked by us rather than by libical: libical steps such a rule
// one unit at a time until something matches, which for a rule that never
// matches (February the 30th, every second) does not end. Here every step
// costs budget, and whole days, hours and minutes that cannot match are
// passed over at once, so a never-matching rule is done in a few steps.
//
// Without COUNT the walk starts near `from`, however long ago the event
// began; with COUNT it has to count from the start (cheaply, when every
// period holds exactly one occurrence).
class SubDailyRecurrence {
public:
    enum class Outcome { Done, OutOfBudget };

    static bool handles(const icalrecurrencetype &rule);

    // Calls visit(start) for every occurrence starting in [from, until], in UTC.
    static Outcome expand(const icalrecurrencetype &rule, const icaltimetype &dtstart, const QDateTime &from,
                          const QDateTime &until, RecurrenceBudget &budget,
                          const std::function<void(const QDateTime &)> &visit);
};

} // namespace tilvano::mail
