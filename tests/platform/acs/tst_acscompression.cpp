#include "platform/acs/AcsCompression.h"
#include "platform/acs/AcsReader.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace tilvano::acs;

namespace {

// Builds streams bit by bit, least significant bit first, independently of the encoder under
// test, so that encoder and decoder cannot share a mistake unnoticed.
class Bits {
public:
    Bits &put(quint32 value, int count)
    {
        for (int i = 0; i < count; ++i)
            m_bits.append((value >> i) & 1u);
        return *this;
    }
    Bits &ones(int count) { return put(0xFFFFFFFFu, count); }
    Bits &literal(uchar b) { return put(0, 1).put(b, 8); }
    // Distance class k (0..3) with its raw value, then the length code.
    Bits &copy(int k, quint32 value, int lengthPrefix, quint32 tail)
    {
        static const int width[4] = {6, 9, 12, 20};
        put(1, 1).ones(k);
        if (k < 3)
            put(0, 1);
        put(value, width[k]);
        return ones(lengthPrefix).put(0, 1).put(tail, lengthPrefix);
    }
    QByteArray finish(bool withMarker = true)
    {
        if (withMarker)
            put(1, 1).ones(3).put(0xFFFFF, 20);
        while (m_bits.size() % 8)
            m_bits.append(1);
        QByteArray out(1, '\0');
        for (qsizetype i = 0; i < m_bits.size(); i += 8) {
            uchar b = 0;
            for (int j = 0; j < 8; ++j)
                b |= uchar(m_bits[i + j] << j);
            out.append(char(b));
        }
        if (withMarker)
            out.append(3, '\xFF');
        return out;
    }

private:
    QList<quint32> m_bits;
};

QByteArray randomBytes(qsizetype n, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray b(n, Qt::Uninitialized);
    for (char &c : b)
        c = char(rng.bounded(256));
    return b;
}

} // namespace

class TestAcsCompression : public QObject {
    Q_OBJECT

private slots:
    void knownAnswer()
    {
        const QByteArray plain = QByteArray::fromHex("414241424142414243");
        const QByteArray packed = QByteArray::fromHex("0082 0815 2C43 FFFF FFFF FFFF");
        QCOMPARE(AcsCompression::decompress(packed, plain.size()), plain);
        QCOMPARE(AcsCompression::compress(plain), packed);
        QCOMPARE(AcsCompression::compress({}), QByteArray::fromHex("00FFFFFFFFFFFF"));
        QCOMPARE(AcsCompression::decompress(QByteArray::fromHex("00FFFFFFFFFFFF"), 0), QByteArray());
    }

    void distanceClassesAndLengths_data()
    {
        QTest::addColumn<int>("distanceClass");
        QTest::addColumn<quint32>("value");
        QTest::addColumn<int>("distance");
        QTest::addColumn<int>("lengthPrefix");
        QTest::addColumn<quint32>("tail");
        QTest::addColumn<int>("length");
        QTest::newRow("64, last of the short class") << 0 << 63u << 64 << 0 << 0u << 2;
        QTest::newRow("65, first of the 9-bit class") << 1 << 0u << 65 << 0 << 0u << 2;
        QTest::newRow("576") << 1 << 511u << 576 << 0 << 0u << 2;
        QTest::newRow("577") << 2 << 0u << 577 << 0 << 0u << 2;
        QTest::newRow("4672") << 2 << 4095u << 4672 << 0 << 0u << 2;
        QTest::newRow("4673 carries one extra byte") << 3 << 0u << 4673 << 0 << 0u << 3;
        QTest::newRow("length 3") << 0 << 0u << 1 << 1 << 0u << 3;
        QTest::newRow("length 4") << 0 << 0u << 1 << 1 << 1u << 4;
        QTest::newRow("length 5") << 0 << 0u << 1 << 2 << 0u << 5;
        QTest::newRow("run of 50 from distance 1") << 0 << 0u << 1 << 5 << 17u << 50;
        QTest::newRow("length 4096") << 0 << 0u << 1 << 11 << 2047u << 4096;
    }

    void distanceClassesAndLengths()
    {
        QFETCH(int, distanceClass);
        QFETCH(quint32, value);
        QFETCH(int, distance);
        QFETCH(int, lengthPrefix);
        QFETCH(quint32, tail);
        QFETCH(int, length);

        const QByteArray prefix = randomBytes(distance, 7);
        Bits bits;
        for (char c : prefix)
            bits.literal(uchar(c));
        bits.copy(distanceClass, value, lengthPrefix, tail);
        const QByteArray stream = bits.finish();

        QByteArray expected = prefix;
        for (int i = 0; i < length; ++i)
            expected.append(expected.at(expected.size() - distance));
        QCOMPARE(AcsCompression::decompress(stream, expected.size()), expected);
        // Our encoder must read its own output back, whatever it chooses.
        QCOMPARE(AcsCompression::decompress(AcsCompression::compress(expected), expected.size()), expected);
    }

    void malformedStreamsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<int>("expectedSize");
        const QByteArray good = Bits().literal('A').literal('B').copy(0, 1, 0, 0).finish();
        QTest::newRow("first byte not zero") << QByteArray("\x01").append(good.mid(1)) << 4;
        QTest::newRow("distance before the start") << Bits().literal('A').copy(0, 1, 0, 0).finish() << 3;
        QTest::newRow("truncated, no end marker") << Bits().literal('A').literal('B').finish(false) << 2;
        QTest::newRow("cut inside the marker") << good.left(good.size() - 5) << 4;
        QTest::newRow("twelve one-bits in a length")
            << Bits().literal('A').put(1, 1).put(0, 1).put(0, 6).ones(12).put(0, 1).finish() << 100;
        QTest::newRow("output longer than expected") << good << 3;
        QTest::newRow("output shorter than expected") << good << 5;
        QTest::newRow("empty input") << QByteArray() << 0;
        QTest::newRow("only the leading zero") << QByteArray(1, '\0') << 0;
    }

    void malformedStreamsAreRefused()
    {
        QFETCH(QByteArray, stream);
        QFETCH(int, expectedSize);
        QCOMPARE(AcsCompression::decompress(stream, expectedSize), std::nullopt);
    }

    void randomBuffersRoundTrip()
    {
        QRandomGenerator rng(42);
        for (int round = 0; round < 60; ++round) {
            const qsizetype n = rng.bounded(round < 30 ? 300 : 20000);
            // Mix noise with runs and repeats so every code path is taken.
            QByteArray data;
            while (data.size() < n) {
                switch (rng.bounded(3)) {
                case 0: data.append(randomBytes(rng.bounded(1, 40), rng.generate())); break;
                case 1: data.append(rng.bounded(1, 300), char(rng.bounded(4))); break;
                default:
                    if (!data.isEmpty()) {
                        const qsizetype from = rng.bounded(data.size());
                        data.append(data.mid(from, rng.bounded(1, 5000)));
                    }
                }
            }
            data.truncate(n);
            QCOMPARE(AcsCompression::decompress(AcsCompression::compress(data), n), data);
            QCOMPARE(AcsCompression::decompress(AcsCompression::compressLiteral(data), n), data);
        }
    }

    void fixtureImagesRoundTrip()
    {
        const QString path = qEnvironmentVariable("TILVANO_FIXTURES") + QStringLiteral("/acs/Happy Face.acs");
        auto reader = AcsReader::open(path);
        QVERIFY(reader);
        for (int i = 0; i < reader->imageCount(); ++i) {
            const QByteArray pixels = reader->image(i)->pixels;
            QCOMPARE(AcsCompression::decompress(AcsCompression::compress(pixels), pixels.size()), pixels);
        }
    }
};

QTEST_GUILESS_MAIN(TestAcsCompression)
#include "tst_acscompression.moc"
