#pragma once

#include <QDeadlineTimer>

#include <chrono>

namespace tilvano::mail {

// What one computation of calendar alarms may spend on recurrence rules, in
// steps (occurrences and candidates looked at) and in time. It is shared by
// every event of the computation, so many cheap rules cannot add up to a
// stall either.
//
// Steps are counted the same on every machine, so the rule that runs them out
// is given up for good. Time is only a backstop for what steps do not see (a
// slow library call); how far it reaches depends on the machine and its load,
// so running out of time alone must not cost an innocent rule its alarms.
class RecurrenceBudget {
public:
    // lastChance: no later computation gets more time, so whatever runs this
    // one out of time is given up too, and computing comes to an end.
    RecurrenceBudget(qint64 steps, std::chrono::milliseconds time, bool lastChance = false)
        : m_stepsLeft(steps)
        , m_time(time)
        , m_deadline(time)
        , m_lastChance(lastChance)
    {
    }

    // Takes one step; false once the steps or the time are used up.
    bool spend()
    {
        if (m_outOfSteps || m_outOfTime)
            return false;
        // The clock is looked at every few steps only: a step is far cheaper.
        if (--m_stepsLeft < 0)
            m_outOfSteps = true;
        else if ((m_stepsLeft & 63) == 0 && m_deadline.hasExpired())
            m_outOfTime = true;
        return !exhausted();
    }
    bool exhausted() const { return m_outOfSteps || m_outOfTime; }
    bool ranOutOfSteps() const { return m_outOfSteps; }
    std::chrono::milliseconds time() const { return m_time; }
    bool lastChance() const { return m_lastChance; }

private:
    qint64 m_stepsLeft;
    std::chrono::milliseconds m_time;
    QDeadlineTimer m_deadline;
    bool m_lastChance;
    bool m_outOfSteps = false;
    bool m_outOfTime = false;
};

} // namespace tilvano::mail
