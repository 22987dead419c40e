#include "SpeechSynthesizer.h"

#include "SpeechEngine.h"

#include <limits>

namespace tilvano::speech {

SpeechSynthesizer::SpeechSynthesizer(QObject *parent)
    : QObject(parent)
    , m_worker(new QObject)
{
    m_thread.setObjectName(QStringLiteral("speech synthesis"));
    m_worker->moveToThread(&m_thread);
    // The thread starts with the first sentence: a character that never speaks costs none.
}

SpeechSynthesizer::~SpeechSynthesizer()
{
    cancelAll();
    m_thread.quit();
    m_thread.wait();
    delete m_worker; // its thread has ended, so no job still runs on it
}

int SpeechSynthesizer::speak(const SpeechRequest &request)
{
    m_lastId = m_lastId == std::numeric_limits<int>::max() ? 1 : m_lastId + 1;
    const int id = m_lastId;
    if (!m_thread.isRunning())
        m_thread.start();
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    m_pending.insert(id, cancelled);
    QMetaObject::invokeMethod(m_worker, [this, id, request, cancelled] {
        SpokenText result = SpeechEngine::current().synthesize(request, cancelled.get());
        QMetaObject::invokeMethod(this, [this, id, result = std::move(result)] {
            m_pending.remove(id);
            emit finished(id, result);
        }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
    return id;
}

void SpeechSynthesizer::cancel(int id)
{
    if (auto flag = m_pending.value(id))
        flag->store(true);
}

void SpeechSynthesizer::cancelAll()
{
    for (const auto &flag : std::as_const(m_pending))
        flag->store(true);
}

const VoiceCatalogue &SpeechSynthesizer::catalogue() const { return SpeechEngine::current().catalogue(); }

} // namespace tilvano::speech
