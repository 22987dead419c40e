#include "IdleScheduler.h"

#include "AgentClock.h"

namespace tilvano::agent {

IdleScheduler::IdleScheduler(AgentClock &clock, const IdleTiming &timing, QObject *parent)
    : QObject(parent)
    , m_clock(clock)
    , m_timing(timing)
{
}

IdleScheduler::~IdleScheduler() { m_clock.cancel(m_timer); }

void IdleScheduler::rest()
{
    if (m_level > 0 || m_timer || m_waitingForAnimation)
        return;
    m_timer = m_clock.callAfter(m_timing.firstDelayMs, this, [this]() {
        m_timer = 0;
        enter(1);
    });
}

void IdleScheduler::wake()
{
    m_clock.cancel(m_timer);
    m_timer = 0;
    m_level = 0;
    m_waitingForAnimation = false;
}

void IdleScheduler::enter(int level)
{
    m_level = level;
    m_levelSinceMs = m_clock.nowMs();
    if (level == 1)
        emit idleStarted();
    if (m_level == level) // still idling after the clients heard of it
        askForAnimation();
}

void IdleScheduler::askForAnimation()
{
    m_waitingForAnimation = true;
    emit animationWanted(m_level);
}

void IdleScheduler::animationEnded(bool played)
{
    if (!m_waitingForAnimation)
        return;
    m_waitingForAnimation = false;
    if (played) {
        goOn();
        return;
    }
    m_timer = m_clock.callAfter(m_timing.pauseMs, this, [this]() {
        m_timer = 0;
        goOn();
    });
}

void IdleScheduler::goOn()
{
    if (m_level < 3 && m_clock.nowMs() - m_levelSinceMs >= m_timing.levelDurationMs) {
        enter(m_level + 1);
        return;
    }
    m_timer = m_clock.callAfter(m_timing.pauseMs, this, [this]() {
        m_timer = 0;
        if (m_level > 0)
            askForAnimation();
    });
}

} // namespace tilvano::agent
