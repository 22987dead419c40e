#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace tilvano::sound {

// Decodes Microsoft ADPCM (WAVE format tag 2) to 16-bit PCM, block by block.
class MsAdpcmDecoder
{
public:
    struct Coefficient {
        int first = 0;
        int second = 0;
    };

    // The seven predictor pairs every MS-ADPCM file starts its table with.
    static QList<Coefficient> standardCoefficients();

    MsAdpcmDecoder(int channels, int blockAlign, int samplesPerBlock,
                   QList<Coefficient> coefficients);

    // Checks the parameters given to the constructor; empty when they are usable.
    QString validate() const;

    // Decodes all whole blocks and a trailing partial block (whose header is complete).
    // Returns interleaved 16-bit little-endian samples, or nullopt with *error set.
    std::optional<QByteArray> decode(QByteArrayView data, QString *error) const;

    // Frames one full block yields, derived from the block size.
    int framesPerFullBlock() const;

private:
    int decodeBlock(QByteArrayView block, qint16 *out) const;

    int m_channels;
    int m_blockAlign;
    int m_samplesPerBlock;
    QList<Coefficient> m_coefficients;
};

} // namespace tilvano::sound
