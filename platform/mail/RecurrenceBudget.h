#pragma once

#include <QDeadlineTimer>

#include <chrono>

namespace tilvano::mail {

// What one computation of calendar alarms may spend on recurrence rules, in
// steps (occurrences and candidates looked at) and in time. It is shared by
// every event of the computation, so many cheap rules cannot add up to a
// stall either; the rule that runs it out is given up.
class RecurrenceBudget {
public:
    RecurrenceBudget(qint64 steps, std::chrono::milliseconds time)
        : m_stepsLeft(steps)
        , m_deadline(time)
    {
    }

    // Takes one step; false once the steps or the time are used up.
    bool spend()
    {
        if (m_exhausted)
            return false;
        // The clock is looked at every few steps only: a step is far cheaper.
        if (--m_stepsLeft < 0 || ((m_stepsLeft & 63) == 0 && m_deadline.hasExpired()))
            m_exhausted = true;
        return !m_exhausted;
    }
    bool exhausted() const { return m_exhausted; }

private:
    qint64 m_stepsLeft;
    QDeadlineTimer m_deadline;
    bool m_exhausted = false;
};

} // namespace tilvano::mail
