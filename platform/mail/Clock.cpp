#include "platform/mail/Clock.h"

namespace tilvano::mail {

Clock::~Clock() = default;

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTimeUtc();
}

const Clock &systemClock()
{
    static const SystemClock clock;
    return clock;
}

} // namespace tilvano::mail
