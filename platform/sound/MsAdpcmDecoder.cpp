#include "MsAdpcmDecoder.h"

#include <QtEndian>

#include <algorithm>
#include <array>

namespace tilvano::sound {

namespace {

// How the step size grows or shrinks after each nibble, indexed by the unsigned nibble.
constexpr std::array<int, 16> kAdaptation = {230, 230, 230, 230, 307, 409, 512, 614,
                                             768, 614, 512, 409, 307, 230, 230, 230};
constexpr int kMinimumDelta = 16;
constexpr int kHeaderBytesPerChannel = 7;

struct ChannelState {
    int coefficient1 = 0;
    int coefficient2 = 0;
    int delta = 0;
    int sample1 = 0; // most recent sample
    int sample2 = 0; // the one before
};

qint16 readInt16(const char *p)
{
    return qFromLittleEndian<qint16>(p);
}

qint16 decodeNibble(ChannelState &state, int nibble)
{
    const int signedNibble = nibble >= 8 ? nibble - 16 : nibble;
    // Division (not a shift) so that negative predictions round toward zero like the encoder.
    const int predicted = (state.sample1 * state.coefficient1 + state.sample2 * state.coefficient2) / 256;
    const int sample = std::clamp(predicted + signedNibble * state.delta, -32768, 32767);
    state.sample2 = state.sample1;
    state.sample1 = sample;
    state.delta = std::max(kMinimumDelta, kAdaptation[std::size_t(nibble)] * state.delta / 256);
    return qint16(sample);
}

} // namespace

QList<MsAdpcmDecoder::Coefficient> MsAdpcmDecoder::standardCoefficients()
{
    return {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}};
}

MsAdpcmDecoder::MsAdpcmDecoder(int channels, int blockAlign, int samplesPerBlock,
                               QList<Coefficient> coefficients)
    : m_channels(channels)
    , m_blockAlign(blockAlign)
    , m_samplesPerBlock(samplesPerBlock)
    , m_coefficients(std::move(coefficients))
{
}

int MsAdpcmDecoder::framesPerFullBlock() const
{
    if (m_channels <= 0)
        return 0;
    const int payload = m_blockAlign - kHeaderBytesPerChannel * m_channels;
    return payload < 0 ? 0 : 2 + payload * 2 / m_channels;
}

QString MsAdpcmDecoder::validate() const
{
    if (m_channels < 1 || m_channels > 2)
        return QStringLiteral("MS-ADPCM supports one or two channels, not %1").arg(m_channels);
    if (m_blockAlign < kHeaderBytesPerChannel * m_channels)
        return QStringLiteral("MS-ADPCM block size %1 is smaller than its header").arg(m_blockAlign);
    if (m_samplesPerBlock < 2 || m_samplesPerBlock > framesPerFullBlock())
        return QStringLiteral("MS-ADPCM samples per block %1 does not fit the block size %2")
            .arg(m_samplesPerBlock)
            .arg(m_blockAlign);
    if (m_coefficients.isEmpty())
        return QStringLiteral("MS-ADPCM coefficient table is empty");
    return {};
}

int MsAdpcmDecoder::decodeBlock(QByteArrayView block, qint16 *out) const
{
    const int channels = m_channels;
    const char *p = block.data();
    std::array<ChannelState, 2> states;
    for (int c = 0; c < channels; ++c) {
        const int index = quint8(p[c]);
        if (index >= m_coefficients.size())
            return -1;
        states[c].coefficient1 = m_coefficients[index].first;
        states[c].coefficient2 = m_coefficients[index].second;
    }
    p += channels;
    for (int c = 0; c < channels; ++c, p += 2)
        states[c].delta = readInt16(p);
    for (int c = 0; c < channels; ++c, p += 2)
        states[c].sample1 = readInt16(p);
    for (int c = 0; c < channels; ++c, p += 2)
        states[c].sample2 = readInt16(p);

    const qsizetype payload = block.size() - kHeaderBytesPerChannel * channels;
    const int frames = int(std::min<qsizetype>(m_samplesPerBlock, 2 + payload * 2 / channels));

    // The header carries the first two samples, oldest first.
    int written = 0;
    for (int c = 0; c < channels; ++c)
        out[written++] = qint16(states[c].sample2);
    for (int c = 0; c < channels; ++c)
        out[written++] = qint16(states[c].sample1);

    // Nibbles: high one first; with two channels the high nibble is the left channel.
    const int totalNibbles = (frames - 2) * channels;
    for (int n = 0; n < totalNibbles; ++n) {
        const quint8 byte = quint8(p[n / 2]);
        const int nibble = (n % 2 == 0) ? (byte >> 4) : (byte & 0x0f);
        out[written++] = decodeNibble(states[std::size_t(n % channels)], nibble);
    }
    return frames;
}

std::optional<QByteArray> MsAdpcmDecoder::decode(QByteArrayView data, QString *error) const
{
    const QString problem = validate();
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return std::nullopt;
    }
    const qsizetype header = kHeaderBytesPerChannel * m_channels;
    const qsizetype fullBlocks = data.size() / m_blockAlign;
    const qsizetype rest = data.size() % m_blockAlign;
    const qsizetype blocks = fullBlocks + (rest >= header ? 1 : 0);

    QByteArray out;
    out.resize(blocks * m_samplesPerBlock * m_channels * 2);
    auto *samples = reinterpret_cast<qint16 *>(out.data());
    qsizetype framesWritten = 0;
    for (qsizetype b = 0; b < blocks; ++b) {
        const qsizetype offset = b * m_blockAlign;
        const QByteArrayView block = data.sliced(offset, std::min<qsizetype>(m_blockAlign, data.size() - offset));
        const int frames = decodeBlock(block, samples + framesWritten * m_channels);
        if (frames < 0) {
            if (error)
                *error = QStringLiteral("MS-ADPCM block %1 names a predictor that the table lacks").arg(b);
            return std::nullopt;
        }
        framesWritten += frames;
    }
    out.truncate(framesWritten * m_channels * 2);
    if constexpr (QSysInfo::ByteOrder == QSysInfo::BigEndian) {
        for (qsizetype i = 0; i < framesWritten * m_channels; ++i)
            samples[i] = qToLittleEndian(samples[i]);
    }
    return out;
}

} // namespace tilvano::sound
