#include "EspeakProsody.h"

#include <algorithm>
#include <cmath>

namespace tilvano::speech {

namespace {

// Measured median fundamental frequency of espeak-ng's German voice at pitch 50.
constexpr double kMaleBaseHz = 97.0;
constexpr double kFemaleBaseHz = 176.0;

// The pitches a voice can be asked for (the voice page's slider spans them).
// The lowest is espeak-ng's pitch 0, the highest its 100, and the voice's own
// pitch its 50; in between each half runs evenly on the musical scale, so that
// every step of the slider moves the voice and none is lost beyond an end.
constexpr double kLowestHz = 50.0;
constexpr double kHighestHz = 400.0;

constexpr int kSlowestRate = 80; // espeak-ng speaks no slower
// How long one unit of espeak-ng's extra word gap lasts at its slowest rate
// (measured: 33 ms; the unit is 10 ms at its default rate).
constexpr double kWordGapUnitSeconds = 0.033;

int pitchFor(double hz, double voiceHz)
{
    const double clamped = std::clamp(hz, kLowestHz, kHighestHz);
    const double units = clamped <= voiceHz ? 50.0 * std::log2(clamped / kLowestHz) / std::log2(voiceHz / kLowestHz)
                                            : 50.0 + 50.0 * std::log2(clamped / voiceHz) / std::log2(kHighestHz / voiceHz);
    return int(std::lround(std::clamp(units, 0.0, 100.0)));
}

// Below espeak-ng's slowest rate the words are spoken at that rate and spaced
// out, so that a sentence takes as long as it would at the rate asked for.
int wordGapFor(int wordsPerMinute)
{
    if (wordsPerMinute >= kSlowestRate)
        return 0;
    const double extraSeconds = 60.0 / std::max(wordsPerMinute, 1) - 60.0 / kSlowestRate;
    return int(std::ceil(extraSeconds / kWordGapUnitSeconds));
}

} // namespace

EspeakProsody espeakProsodyFor(const SpeechSettings &settings, bool femaleVoice)
{
    EspeakProsody p;
    if (settings.wordsPerMinute) {
        p.rate = std::clamp(*settings.wordsPerMinute, kSlowestRate, 450);
        p.wordGap = wordGapFor(*settings.wordsPerMinute);
    }
    if (settings.pitchHz && *settings.pitchHz > 0)
        p.pitch = pitchFor(*settings.pitchHz, femaleVoice ? kFemaleBaseHz : kMaleBaseHz);
    if (settings.volume)
        p.volume = int(std::lround(std::clamp(*settings.volume, 0, 65535) * 100.0 / 65535.0));
    if (settings.isMonotone())
        p.range = 0;
    p.whisper = settings.isWhisper();
    p.spellAddresses = settings.readsAddresses();
    return p;
}

} // namespace tilvano::speech
