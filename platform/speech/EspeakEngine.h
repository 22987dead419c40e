#pragma once

#include "platform/speech/SpeechEngine.h"

#include <QList>
#include <QString>

#include <atomic>

namespace tilvano::speech {

// espeak-ng, driven directly: the speech engine programs get unless a test put
// another in place. The library keeps global state and is not reentrant, so that
// state is the process's, shared by every engine object, and one synthesis runs at
// a time; callers on any thread wait their turn. An engine object is only a way in:
// dropping it (as the service registry does between tests) leaves the library as
// it is. Private to the speech library: programs speak through SpeechSynthesizer
// and take their voices from its catalogue.
class EspeakEngine : public SpeechEngine
{
public:
    bool isAvailable() override;
    QString productName();
    // What the library lists, freshly asked.
    QList<EspeakVoiceInfo> installedVoices();
    const VoiceCatalogue &catalogue() override;
    SpokenText synthesize(const SpeechRequest &request, const std::atomic<bool> *cancel = nullptr) override;

private:
    struct LibraryState;
    static LibraryState &library();
    static bool ensureInitialized(); // with the library's mutex held
    static QList<EspeakVoiceInfo> listVoicesLocked();
};

} // namespace tilvano::speech
