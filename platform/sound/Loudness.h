#pragma once

#include "platform/sound/WaveAudio.h"

namespace tilvano::sound {

// How loud the audio is around a moment, 0 (silence) .. 1 (a full-scale sine or louder):
// the RMS over all channels in a window centred on timeMs, so a mouth can follow a sound.
// Outside the audio, or for audio that is not 8/16-bit PCM, the result is 0.
double loudnessAt(const PcmAudio &pcm, qint64 timeMs, int windowMs = 30);

} // namespace tilvano::sound
