#include "platform/mail/WorkerThread.h"

namespace tilvano::mail {

WorkerThread::WorkerThread(const QString &name, QObject *parent)
    : QObject(parent)
    , m_context(new QObject)
{
    m_thread.setObjectName(name);
    m_context->moveToThread(&m_thread);
    m_thread.start();
}

WorkerThread::~WorkerThread()
{
    m_stopping = true;
    m_thread.quit();
    m_thread.wait();
    // The thread has ended, so its object can go from here, and with it the
    // jobs that were still queued.
    delete m_context;
}

} // namespace tilvano::mail
