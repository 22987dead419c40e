#pragma once

#include "platform/speech/SpeechSettings.h"

namespace tilvano::speech {

// espeak-ng's parameters for one stretch of speech.
struct EspeakProsody {
    int rate = 175;   // words per minute, 80..450
    int wordGap = 0;  // extra pause between words, in espeak-ng's units; slower than 80
    int pitch = 50;   // 0..100, 50 is the voice's own
    int range = 50;   // pitch movement 0..100; 0 is a monotone
    int volume = 100; // 0..200, 100 is normal
    bool whisper = false;
    bool spellAddresses = false; // web and e-mail addresses read sign by sign

    friend bool operator==(const EspeakProsody &, const EspeakProsody &) = default;
};

// Translates tag values (words per minute, pitch in Hz, volume 0..65535, voice character,
// context) into espeak-ng's scales. Pitch is relative to the voice's natural pitch, which
// differs between male and female voices: 50 to 400 Hz span espeak-ng's whole range.
EspeakProsody espeakProsodyFor(const SpeechSettings &settings, bool femaleVoice);

} // namespace tilvano::speech
