#include "WaveAudio.h"

#include "MsAdpcmDecoder.h"

#include "system/RegularFile.h"

#include <QtEndian>

namespace tilvano::sound {

namespace {

constexpr quint16 kFormatPcm = 1;
constexpr quint16 kFormatMsAdpcm = 2;
constexpr quint16 kFormatExtensible = 0xFFFE;
constexpr int kMaxChannels = 8;
constexpr int kMaxSampleRate = 768000;

quint16 u16(QByteArrayView v, qsizetype at)
{
    return qFromLittleEndian<quint16>(v.data() + at);
}

quint32 u32(QByteArrayView v, qsizetype at)
{
    return qFromLittleEndian<quint32>(v.data() + at);
}

std::optional<PcmAudio> fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return std::nullopt;
}

struct Format {
    quint16 tag = 0;
    int channels = 0;
    int sampleRate = 0;
    int blockAlign = 0;
    int bitsPerSample = 0;
    QByteArrayView extra; // the bytes after cbSize, as far as present
};

std::optional<Format> parseFormat(QByteArrayView chunk, QString *error)
{
    if (chunk.size() < 16) {
        if (error)
            *error = QStringLiteral("fmt chunk is %1 bytes, too short").arg(chunk.size());
        return std::nullopt;
    }
    Format f;
    f.tag = u16(chunk, 0);
    f.channels = u16(chunk, 2);
    const quint32 rate = u32(chunk, 4);
    f.blockAlign = u16(chunk, 12);
    f.bitsPerSample = u16(chunk, 14);
    if (chunk.size() >= 18) {
        const qsizetype declared = u16(chunk, 16);
        f.extra = chunk.sliced(18, std::min(declared, chunk.size() - 18));
    }
    if (f.channels < 1 || f.channels > kMaxChannels) {
        if (error)
            *error = QStringLiteral("unsupported channel count %1").arg(f.channels);
        return std::nullopt;
    }
    if (rate < 1 || rate > quint32(kMaxSampleRate)) {
        if (error)
            *error = QStringLiteral("unsupported sample rate %1").arg(rate);
        return std::nullopt;
    }
    f.sampleRate = int(rate);
    // An extensible header names its real format in the first two bytes of the sub-format GUID.
    if (f.tag == kFormatExtensible) {
        if (f.extra.size() < 22) {
            if (error)
                *error = QStringLiteral("extensible fmt chunk lacks its sub-format");
            return std::nullopt;
        }
        f.tag = u16(f.extra, 6);
    }
    return f;
}

QByteArray widenUnsigned8(QByteArrayView data)
{
    QByteArray out(data.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < data.size(); ++i)
        qToLittleEndian<qint16>(qint16((int(quint8(data[i])) - 128) << 8), out.data() + 2 * i);
    return out;
}

std::optional<PcmAudio> decodePcm(const Format &f, QByteArrayView data, QString *error)
{
    if (f.bitsPerSample != 8 && f.bitsPerSample != 16)
        return fail(error, QStringLiteral("unsupported PCM sample size of %1 bits").arg(f.bitsPerSample));
    const int frameBytes = f.channels * f.bitsPerSample / 8;
    PcmAudio pcm;
    pcm.sampleRate = f.sampleRate;
    pcm.channels = f.channels;
    pcm.bitsPerSample = 16;
    // A trailing partial frame cannot be played; drop it rather than refuse the sound.
    const QByteArrayView whole = data.first(data.size() - data.size() % frameBytes);
    pcm.samples = f.bitsPerSample == 8 ? widenUnsigned8(whole) : whole.toByteArray();
    return pcm;
}

std::optional<PcmAudio> decodeAdpcm(const Format &f, QByteArrayView data, QString *error)
{
    if (f.bitsPerSample != 4)
        return fail(error, QStringLiteral("MS-ADPCM with %1 bits per sample").arg(f.bitsPerSample));
    QList<MsAdpcmDecoder::Coefficient> coefficients = MsAdpcmDecoder::standardCoefficients();
    int samplesPerBlock = 0;
    if (f.extra.size() >= 2)
        samplesPerBlock = u16(f.extra, 0);
    if (f.extra.size() >= 4) {
        const int count = u16(f.extra, 2);
        if (f.extra.size() < 4 + qsizetype(count) * 4)
            return fail(error, QStringLiteral("MS-ADPCM coefficient table is truncated"));
        if (count > 0) {
            coefficients.clear();
            for (int i = 0; i < count; ++i)
                coefficients.append({qint16(u16(f.extra, 4 + 4 * i)), qint16(u16(f.extra, 6 + 4 * i))});
        }
    }
    // Without a stated count, a block holds as many frames as its size allows.
    if (samplesPerBlock == 0)
        samplesPerBlock = MsAdpcmDecoder(f.channels, f.blockAlign, 0, {}).framesPerFullBlock();
    const MsAdpcmDecoder decoder(f.channels, f.blockAlign, samplesPerBlock, coefficients);
    auto samples = decoder.decode(data, error);
    if (!samples)
        return std::nullopt;
    PcmAudio pcm;
    pcm.sampleRate = f.sampleRate;
    pcm.channels = f.channels;
    pcm.bitsPerSample = 16;
    pcm.samples = std::move(*samples);
    return pcm;
}

} // namespace

int PcmAudio::bytesPerFrame() const
{
    return channels * (bitsPerSample / 8);
}

qint64 PcmAudio::frameCount() const
{
    const int frame = bytesPerFrame();
    return frame > 0 ? samples.size() / frame : 0;
}

qint64 PcmAudio::durationMs() const
{
    return sampleRate > 0 ? frameCount() * 1000 / sampleRate : 0;
}

bool PcmAudio::isValid() const
{
    return sampleRate > 0 && sampleRate <= kMaxSampleRate && channels >= 1 && channels <= kMaxChannels
        && (bitsPerSample == 8 || bitsPerSample == 16);
}

std::optional<PcmAudio> decodeWave(QByteArrayView riff, QString *error, qsizetype *ignoredBytes)
{
    if (ignoredBytes)
        *ignoredBytes = 0;
    if (riff.size() < 12)
        return fail(error, QStringLiteral("too short for a WAVE file (%1 bytes)").arg(riff.size()));
    if (riff.first(4) != "RIFF" || riff.sliced(8, 4) != "WAVE")
        return fail(error, QStringLiteral("not a RIFF WAVE file"));

    // Writers often get the RIFF size wrong; trust it only to cut off trailing junk.
    const quint64 declaredEnd = quint64(u32(riff, 4)) + 8;
    const qsizetype end = qsizetype(std::min<quint64>(declaredEnd, quint64(riff.size())));

    std::optional<Format> format;
    std::optional<QByteArrayView> data;
    std::optional<quint32> factFrames;
    qsizetype pos = 12;
    while (end - pos >= 8) {
        const QByteArrayView id = riff.sliced(pos, 4);
        const quint32 size = u32(riff, pos + 4);
        if (quint64(size) > quint64(end - pos - 8)) {
            // Once the sound is whole, what follows and makes no whole chunk is strays that
            // some writers leave behind; they are skipped, never read.
            if (format && data)
                break;
            return fail(error, QStringLiteral("chunk '%1' runs past the end of the file")
                                   .arg(QString::fromLatin1(id.toByteArray().toPercentEncoding())));
        }
        pos += 8;
        const QByteArrayView body = riff.sliced(pos, size);
        if (id == "fmt " && !format) {
            format = parseFormat(body, error);
            if (!format)
                return std::nullopt;
        } else if (id == "data" && !data) {
            data = body;
        } else if (id == "fact" && size >= 4) {
            factFrames = u32(body, 0);
        }
        pos += size + (size & 1);
    }
    if (ignoredBytes)
        *ignoredBytes = std::max<qsizetype>(0, end - pos);
    if (!format)
        return fail(error, QStringLiteral("WAVE file has no fmt chunk"));
    if (!data)
        return fail(error, QStringLiteral("WAVE file has no data chunk"));

    std::optional<PcmAudio> pcm;
    switch (format->tag) {
    case kFormatPcm:
        pcm = decodePcm(*format, *data, error);
        break;
    case kFormatMsAdpcm:
        pcm = decodeAdpcm(*format, *data, error);
        break;
    default:
        return fail(error, QStringLiteral("unsupported WAVE format tag %1").arg(format->tag));
    }
    // The fact chunk tells compressed formats how many frames the last block really holds.
    if (pcm && format->tag != kFormatPcm && factFrames && qint64(*factFrames) < pcm->frameCount())
        pcm->samples.truncate(qsizetype(*factFrames) * pcm->bytesPerFrame());
    return pcm;
}

QByteArray encodeWave(const PcmAudio &pcm)
{
    const int frameBytes = pcm.bytesPerFrame();
    const quint32 dataSize = quint32(pcm.samples.size());
    QByteArray out;
    out.reserve(44 + pcm.samples.size() + 1);
    auto put16 = [&out](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        out.append(b, 2);
    };
    auto put32 = [&out](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    };
    const quint32 padding = dataSize & 1;
    out.append("RIFF");
    put32(36 + dataSize + padding);
    out.append("WAVEfmt ");
    put32(16);
    put16(kFormatPcm);
    put16(quint16(pcm.channels));
    put32(quint32(pcm.sampleRate));
    put32(quint32(pcm.sampleRate) * quint32(frameBytes));
    put16(quint16(frameBytes));
    put16(quint16(pcm.bitsPerSample));
    out.append("data");
    put32(dataSize);
    out.append(pcm.samples);
    if (padding)
        out.append('\0');
    return out;
}

std::optional<PcmAudio> readWaveFile(const QString &path, qint64 maxBytes, QString *error)
{
    const std::optional<QByteArray> riff = readRegularFile(path, maxBytes, error);
    if (!riff)
        return std::nullopt;
    return decodeWave(*riff, error);
}

} // namespace tilvano::sound
