#pragma once

#include "platform/speech/SpeechTypes.h"
#include "platform/speech/VoiceCatalogue.h"

#include <QList>
#include <QString>

#include <atomic>
#include <mutex>
#include <optional>

namespace tilvano::speech {

// espeak-ng, driven directly. The library keeps global state and is not reentrant, so this is
// one process-wide object that lets one synthesis run at a time; callers on any thread wait
// their turn. Private to the speech library: programs speak through SpeechSynthesizer and
// take their voices from its catalogue.
class EspeakEngine
{
public:
    static EspeakEngine &instance();

    bool isAvailable();
    QString productName();
    QList<EspeakVoiceInfo> installedVoices();
    const VoiceCatalogue &catalogue();

    // Turns text into audio with word and mouth events. Setting *cancel stops early.
    SpokenText synthesize(const SpeechRequest &request, const std::atomic<bool> *cancel = nullptr);

    EspeakEngine(const EspeakEngine &) = delete;
    EspeakEngine &operator=(const EspeakEngine &) = delete;

private:
    EspeakEngine() = default;
    ~EspeakEngine();
    bool ensureInitialized(); // with m_mutex held
    QList<EspeakVoiceInfo> listVoicesLocked();

    std::mutex m_mutex;
    bool m_initializeTried = false;
    int m_sampleRate = 0;
    QString m_error;
    std::optional<VoiceCatalogue> m_catalogue;
};

} // namespace tilvano::speech
