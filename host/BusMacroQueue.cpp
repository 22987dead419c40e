#include "host/BusMacroQueue.h"

#include <QPointer>

namespace tilvano::host {

BusMacroQueue::BusMacroQueue(QObject *parent) : QObject(parent) {}

BusMacroQueue::~BusMacroQueue()
{
    refuseWaiting();
}

void BusMacroQueue::enqueue(const QDBusConnection &connection, const QDBusMessage &call, Run run)
{
    if (m_closed) {
        connection.send(call.createErrorReply(QDBusError::Failed, QStringLiteral("Tilvano wird beendet.")));
        return;
    }
    m_waiting.enqueue(Request{connection, call, std::move(run)});
    scheduleNext();
}

void BusMacroQueue::scheduleNext()
{
    // Queued: the macro starts from the event loop, after the call that asked
    // for it has returned.
    QMetaObject::invokeMethod(this, &BusMacroQueue::runNext, Qt::QueuedConnection);
}

void BusMacroQueue::runNext()
{
    // Also reached from the event loop of a box the running macro shows: the
    // next one waits for it to end.
    if (m_running || m_closed || m_waiting.isEmpty())
        return;
    m_running = m_waiting.dequeue();
    const QPointer<BusMacroQueue> alive(this);
    const QDBusMessage reply = m_running->run(m_running->call);
    if (!alive)
        return;
    if (!m_running->answered)
        m_running->connection.send(reply);
    m_running.reset();
    if (!m_waiting.isEmpty())
        scheduleNext();
}

void BusMacroQueue::answerRunningCaller()
{
    if (!m_running || m_running->answered)
        return;
    m_running->answered = true;
    m_running->connection.send(m_running->call.createReply(QVariant(true)));
}

void BusMacroQueue::close()
{
    m_closed = true;
    refuseWaiting();
}

void BusMacroQueue::refuseWaiting()
{
    while (!m_waiting.isEmpty()) {
        Request request = m_waiting.dequeue();
        request.connection.send(
            request.call.createErrorReply(QDBusError::Failed, QStringLiteral("Tilvano wird beendet.")));
    }
}

} // namespace tilvano::host
