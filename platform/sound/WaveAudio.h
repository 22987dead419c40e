#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace tilvano::sound {

// Uncompressed audio as the player and the lip sync consume it.
struct PcmAudio {
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;
    QByteArray samples; // interleaved little-endian PCM; 8-bit is unsigned, 16-bit signed

    int bytesPerFrame() const;
    qint64 frameCount() const;
    qint64 durationMs() const;
    bool isEmpty() const { return samples.isEmpty(); }
    bool isValid() const; // rate, channels and depth form a playable format
};

// Parses a RIFF WAVE file: chunks in any order, odd chunks padded to even length (a missing
// pad byte after the last chunk is tolerated), extra bytes in the fmt chunk ignored.
// Decodes PCM 8/16-bit (also inside WAVE_FORMAT_EXTENSIBLE) and MS-ADPCM (format 2).
// The result is always 16-bit signed PCM, so consumers handle one sample shape; 8-bit input is
// widened. Anything else, or any malformed input, gives nullopt and a message in *error.
// Bytes of the RIFF after its last whole chunk are ignored, also when, once fmt and data are
// read, they look like the start of a chunk that would run past the end: *ignoredBytes tells
// how many.
// Never reads out of bounds; the output is at most a small multiple of the input size.
std::optional<PcmAudio> decodeWave(QByteArrayView riff, QString *error = nullptr, qsizetype *ignoredBytes = nullptr);

// Reads and decodes the wave file at path, of at most maxBytes. Only a regular
// file is read, opened without blocking: a sound path that names a FIFO (or a
// link to one) is refused at once instead of waiting for a writer.
std::optional<PcmAudio> readWaveFile(const QString &path, qint64 maxBytes, QString *error = nullptr);

// A canonical PCM WAV file (RIFF, fmt, data) for the given audio.
QByteArray encodeWave(const PcmAudio &pcm);

} // namespace tilvano::sound
