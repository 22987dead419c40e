#include "Loudness.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace tilvano::sound {

double loudnessAt(const PcmAudio &pcm, qint64 timeMs, int windowMs)
{
    if (!pcm.isValid() || pcm.isEmpty() || timeMs < 0 || windowMs <= 0)
        return 0.0;
    const qint64 frames = pcm.frameCount();
    const qint64 centre = timeMs * pcm.sampleRate / 1000;
    if (centre >= frames)
        return 0.0;
    const qint64 half = std::max<qint64>(1, qint64(windowMs) * pcm.sampleRate / 2000);
    const qint64 first = std::max<qint64>(0, centre - half);
    const qint64 last = std::min(frames, centre + half);

    const char *data = pcm.samples.constData();
    const bool wide = pcm.bitsPerSample == 16;
    double sumOfSquares = 0.0;
    const qint64 firstSample = first * pcm.channels;
    const qint64 endSample = last * pcm.channels;
    for (qint64 i = firstSample; i < endSample; ++i) {
        const double v = wide ? qFromLittleEndian<qint16>(data + 2 * i) / 32768.0
                              : (int(quint8(data[i])) - 128) / 128.0;
        sumOfSquares += v * v;
    }
    const double rms = std::sqrt(sumOfSquares / double(endSample - firstSample));
    // A full-scale sine has an RMS of 1/sqrt(2); let it reach the top of the scale.
    return std::min(1.0, rms * M_SQRT2);
}

} // namespace tilvano::sound
