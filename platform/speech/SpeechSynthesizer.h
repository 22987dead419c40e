#pragma once

#include "platform/speech/EspeakEngine.h"

#include <QHash>
#include <QObject>
#include <QThread>

#include <atomic>
#include <memory>

namespace tilvano::speech {

// Speaks requests one after another on a worker thread, so the window stays responsive while
// espeak-ng works; results come back as finished() on the thread that owns this object.
class SpeechSynthesizer : public QObject
{
    Q_OBJECT

public:
    explicit SpeechSynthesizer(QObject *parent = nullptr);
    ~SpeechSynthesizer() override;

    int speak(const SpeechRequest &request);
    // A cancelled request still gets finished(), with SpokenText::cancelled set (unless it
    // had completed already).
    void cancel(int id);
    void cancelAll();

signals:
    void finished(int id, const tilvano::speech::SpokenText &result);

private:
    QThread m_thread;
    QObject *m_worker; // lives in m_thread; runs the synthesis jobs
    int m_lastId = 0;
    QHash<int, std::shared_ptr<std::atomic<bool>>> m_pending;
};

} // namespace tilvano::speech
