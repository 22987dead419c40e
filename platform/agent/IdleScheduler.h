#pragma once

#include <QObject>

namespace tilvano::agent {

class AgentClock;

// How long a character waits before it idles, and how it goes through the idle levels.
struct IdleTiming {
    qint64 firstDelayMs = 10000;     // no request for this long: idling starts (level 1)
    qint64 levelDurationMs = 60000;  // then the next level after this long in a level
    qint64 pauseMs = 4000;           // between two idle animations
};

// When a quiet character idles: after a while without requests it enters idle level 1 and
// asks for an idle animation of its level now and then; the longer it stays quiet, the
// deeper the level (up to 3). Any activity ends idling.
class IdleScheduler : public QObject
{
    Q_OBJECT

public:
    IdleScheduler(AgentClock &clock, const IdleTiming &timing, QObject *parent = nullptr);
    ~IdleScheduler() override;

    // The character has nothing to do: idling starts after the first delay (unless it has).
    void rest();
    // The character is busy again, or may not idle: back to level 0, nothing pending.
    void wake();
    // The idle animation asked for last has ended; without one to play, the pause between
    // two idle animations passes first.
    void animationEnded(bool played = true);

    int level() const { return m_level; }

signals:
    void idleStarted();
    // Play an animation of the IDLINGLEVEL<level> state, then call animationEnded().
    void animationWanted(int level);

private:
    void enter(int level);
    void askForAnimation();
    void goOn();

    AgentClock &m_clock;
    IdleTiming m_timing;
    int m_level = 0;
    qint64 m_levelSinceMs = 0;
    int m_timer = 0;
    bool m_waitingForAnimation = false;
};

} // namespace tilvano::agent
