#include "EspeakProsody.h"

#include <algorithm>
#include <cmath>

namespace tilvano::speech {

namespace {

// Measured median fundamental frequency of espeak-ng's German voice at pitch 50, and how
// steeply it rises: from pitch 0 to 100 it goes up by a factor of about 2.3 (male voice
// 67 -> 163 Hz, female variant 129 -> 272 Hz), i.e. about 80 pitch units per octave.
constexpr double kMaleBaseHz = 97.0;
constexpr double kFemaleBaseHz = 176.0;
constexpr double kUnitsPerOctave = 80.0;

} // namespace

EspeakProsody espeakProsodyFor(const SpeechSettings &settings, bool femaleVoice)
{
    EspeakProsody p;
    if (settings.wordsPerMinute)
        p.rate = std::clamp(*settings.wordsPerMinute, 80, 450);
    if (settings.pitchHz && *settings.pitchHz > 0) {
        const double base = femaleVoice ? kFemaleBaseHz : kMaleBaseHz;
        const double units = 50.0 + kUnitsPerOctave * std::log2(*settings.pitchHz / base);
        p.pitch = int(std::lround(std::clamp(units, 0.0, 100.0)));
    }
    if (settings.volume)
        p.volume = int(std::lround(std::clamp(*settings.volume, 0, 65535) * 100.0 / 65535.0));
    if (settings.isMonotone())
        p.range = 0;
    p.whisper = settings.isWhisper();
    return p;
}

} // namespace tilvano::speech
