#pragma once

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <utility>

namespace tilvano::mail {

// A thread of its own that runs jobs one after another, in the order they were
// posted, and hands each result back to the thread this object lives on.
//
// Results reach their receiver only while this object exists: deleting it
// stops the thread after the job that is running (jobs must be bounded in
// time; long ones look at stopRequested()) and drops what was still queued.
class WorkerThread : public QObject {
    Q_OBJECT
public:
    explicit WorkerThread(const QString &name, QObject *parent = nullptr);
    ~WorkerThread() override;

    // Runs job() on the worker thread, then deliver(result) on this object's
    // thread.
    template <typename Job, typename Deliver>
    void post(Job job, Deliver deliver)
    {
        QMetaObject::invokeMethod(
            m_context,
            [this, job = std::move(job), deliver = std::move(deliver)]() mutable {
                auto result = job();
                // This object cannot be gone yet: its destructor waits for the
                // thread. Once it is, the queued delivery is dropped with it.
                QMetaObject::invokeMethod(
                    this, [deliver = std::move(deliver), result = std::move(result)]() mutable { deliver(std::move(result)); },
                    Qt::QueuedConnection);
            },
            Qt::QueuedConnection);
    }

    bool stopRequested() const { return m_stopping.load(std::memory_order_relaxed); }

private:
    QThread m_thread;
    QObject *m_context = nullptr;
    std::atomic_bool m_stopping{false};
};

} // namespace tilvano::mail
