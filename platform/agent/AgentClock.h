#pragma once

#include <QHash>
#include <QObject>

#include <functional>
#include <map>
#include <utility>

class QTimer;

namespace tilvano::agent {

// The time source of the character service. Everything that waits (frame durations, word
// pacing, walking, idling) asks this clock, never a timer of its own, so a test can switch
// the clock to manual mode and step through time exactly and without waiting.
//
// Automatic mode runs callbacks from QTimers on the event loop. Manual mode runs nothing by
// itself; advance() moves time on and runs every callback that falls due, in time order,
// including those scheduled while it runs.
class AgentClock : public QObject
{
    Q_OBJECT

public:
    enum class Mode { Automatic, Manual };

    explicit AgentClock(Mode mode = Mode::Automatic, QObject *parent = nullptr);
    ~AgentClock() override;

    Mode mode() const { return m_mode; }
    qint64 nowMs() const;

    // Calls `callback` after `delayMs` (negative counts as 0), unless `context` has been
    // destroyed by then. The id cancels it.
    int callAfter(qint64 delayMs, const QObject *context, std::function<void()> callback);
    void cancel(int id);
    // Manual mode only: lets `ms` pass and runs what falls due; a no-op otherwise.
    void advance(qint64 ms);
    // Manual mode only: runs what is due now and keeps doing so while callbacks scheduled with
    // no delay keep appearing (bounded, so a zero-time loop cannot hang a test).
    void settle() { advance(0); }
    int pendingCount() const;

private:
    Mode m_mode;
    qint64 m_manualNow = 0;
    qint64 m_automaticStart = 0;
    int m_lastId = 0;
    // Manual mode: (due time, id) -> callback; the id keeps equal times in scheduling order.
    std::map<std::pair<qint64, int>, std::function<void()>> m_due;
    QHash<int, qint64> m_dueTimeOfId;
    // Automatic mode.
    QHash<int, QTimer *> m_timers;
};

} // namespace tilvano::agent
