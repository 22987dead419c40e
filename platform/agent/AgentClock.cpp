#include "AgentClock.h"

#include <QDateTime>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace tilvano::agent {

namespace {
// A zero-time loop (a callback rescheduling itself without delay) must not hang advance().
constexpr int MaxCallbacksPerAdvance = 1000000;
} // namespace

AgentClock::AgentClock(Mode mode, QObject *parent)
    : QObject(parent)
    , m_mode(mode)
    , m_automaticStart(QDateTime::currentMSecsSinceEpoch())
{
}

AgentClock::~AgentClock()
{
    for (QTimer *timer : std::as_const(m_timers))
        delete timer;
}

qint64 AgentClock::nowMs() const
{
    if (m_mode == Mode::Manual)
        return m_manualNow;
    return QDateTime::currentMSecsSinceEpoch() - m_automaticStart;
}

int AgentClock::callAfter(qint64 delayMs, const QObject *context, std::function<void()> callback)
{
    const int id = ++m_lastId;
    callback = [guard = QPointer<const QObject>(context), callback = std::move(callback)]() {
        if (guard)
            callback();
    };
    delayMs = std::max<qint64>(0, delayMs);
    if (m_mode == Mode::Manual) {
        const qint64 due = m_manualNow + delayMs;
        m_due.emplace(std::make_pair(due, id), std::move(callback));
        m_dueTimeOfId.insert(id, due);
        return id;
    }
    auto *timer = new QTimer;
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(int(std::min<qint64>(delayMs, std::numeric_limits<int>::max())));
    m_timers.insert(id, timer);
    connect(timer, &QTimer::timeout, this, [this, id, callback = std::move(callback)]() {
        QTimer *done = m_timers.take(id);
        if (!done)
            return;
        done->deleteLater();
        callback();
    });
    timer->start();
    return id;
}

void AgentClock::cancel(int id)
{
    if (m_mode == Mode::Manual) {
        const auto it = m_dueTimeOfId.constFind(id);
        if (it == m_dueTimeOfId.cend())
            return;
        m_due.erase(std::make_pair(it.value(), id));
        m_dueTimeOfId.erase(it);
        return;
    }
    if (QTimer *timer = m_timers.take(id)) {
        timer->stop();
        timer->deleteLater();
    }
}

void AgentClock::advance(qint64 ms)
{
    if (m_mode != Mode::Manual)
        return;
    const qint64 target = m_manualNow + std::max<qint64>(0, ms);
    for (int runs = 0; runs < MaxCallbacksPerAdvance && !m_due.empty(); ++runs) {
        auto first = m_due.begin();
        if (first->first.first > target)
            break;
        m_manualNow = first->first.first;
        std::function<void()> callback = std::move(first->second);
        m_dueTimeOfId.remove(first->first.second);
        m_due.erase(first);
        callback();
    }
    m_manualNow = target;
}

int AgentClock::pendingCount() const
{
    return m_mode == Mode::Manual ? int(m_due.size()) : int(m_timers.size());
}

} // namespace tilvano::agent
