#pragma once

#include <QDateTime>

namespace tilvano::mail {

// The time reminders are measured against; tests put in their own.
class Clock {
public:
    virtual ~Clock();
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
};

// One system clock for the whole process, so that nothing holding it can
// outlive it.
const Clock &systemClock();

} // namespace tilvano::mail
