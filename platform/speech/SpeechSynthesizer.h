#pragma once

#include "platform/speech/SpeechTypes.h"
#include "platform/speech/VoiceCatalogue.h"

#include <QHash>
#include <QObject>
#include <QThread>

#include <atomic>
#include <memory>

namespace tilvano::speech {

// The door to speech: speaks requests one after another on a worker thread, so the window
// stays responsive while espeak-ng works, and results come back as finished() on the thread
// that owns this object; and it lists the voices there are to speak with.
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

    // The installed voices. The first call asks espeak-ng (and so loads it).
    const VoiceCatalogue &catalogue() const;

signals:
    void finished(int id, const tilvano::speech::SpokenText &result);

private:
    QThread m_thread;
    QObject *m_worker; // lives in m_thread; runs the synthesis jobs
    int m_lastId = 0;
    QHash<int, std::shared_ptr<std::atomic<bool>>> m_pending;
};

} // namespace tilvano::speech
