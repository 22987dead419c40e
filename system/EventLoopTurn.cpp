#include "system/EventLoopTurn.h"

#include <QMetaObject>
#include <QThread>

namespace tilvano {

EventLoopTurn::EventLoopTurn() = default;

bool EventLoopTurn::inOwnLoop() const
{
    QThread *current = QThread::currentThread();
    return current == m_receiver.thread() && current->loopLevel() > 0;
}

bool EventLoopTurn::marked() const
{
    return m_marked.load(std::memory_order_acquire) && inOwnLoop();
}

void EventLoopTurn::mark()
{
    if (!inOwnLoop() || m_marked.exchange(true, std::memory_order_acq_rel))
        return;
    // Queued, so it runs when the loop gets back to its events and not before.
    QMetaObject::invokeMethod(
        &m_receiver, [this] { m_marked.store(false, std::memory_order_release); }, Qt::QueuedConnection);
}

} // namespace tilvano
