#pragma once

#include "platform/speech/SpeechTypes.h"
#include "platform/speech/VoiceCatalogue.h"

#include <atomic>

namespace tilvano::speech {

// What turns text into speech, found like every stand-in in the ServiceRegistry:
// espeak-ng (EspeakEngine) unless a test put a double in place. Used from any
// thread; an engine lets one synthesis run at a time and the others wait.
class SpeechEngine {
public:
    virtual ~SpeechEngine() = default;

    virtual bool isAvailable() = 0;
    // The voices the engine speaks with, under their mode ids.
    virtual const VoiceCatalogue &catalogue() = 0;
    // Turns text into audio with word and mouth events. Setting *cancel stops early.
    virtual SpokenText synthesize(const SpeechRequest &request, const std::atomic<bool> *cancel = nullptr) = 0;

    // The engine the process speaks with.
    static SpeechEngine &current();
};

} // namespace tilvano::speech
