#include "platform/sound/WaveAudio.h"

#include <QRandomGenerator>
#include <QTest>
#include <QtEndian>

using tilvano::sound::PcmAudio;
using tilvano::sound::decodeWave;
using tilvano::sound::encodeWave;

namespace {

QByteArray le16(int v)
{
    QByteArray b(2, '\0');
    qToLittleEndian<quint16>(quint16(v), b.data());
    return b;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<quint32>(v, b.data());
    return b;
}

QByteArray chunk(const char *id, const QByteArray &body)
{
    QByteArray c = QByteArray(id, 4) + le32(quint32(body.size())) + body;
    if (body.size() % 2)
        c.append('\0');
    return c;
}

QByteArray riff(const QList<QByteArray> &chunks)
{
    QByteArray body = "WAVE";
    for (const QByteArray &c : chunks)
        body += c;
    return "RIFF" + le32(quint32(body.size())) + body;
}

QByteArray pcmFormat(int channels, int rate, int bits, const QByteArray &extra = {})
{
    const int frame = channels * bits / 8;
    QByteArray f = le16(1) + le16(channels) + le32(quint32(rate)) + le32(quint32(rate * frame))
        + le16(frame) + le16(bits);
    if (!extra.isNull())
        f += le16(int(extra.size())) + extra;
    return f;
}

QByteArray adpcmFormat(int channels, int rate, int blockAlign, int samplesPerBlock)
{
    const QList<QPair<int, int>> coefficients = {{256, 0}, {512, -256}, {0, 0}, {192, 64},
                                                 {240, 0}, {460, -208}, {392, -232}};
    QByteArray extra = le16(samplesPerBlock) + le16(int(coefficients.size()));
    for (const auto &c : coefficients)
        extra += le16(c.first) + le16(c.second);
    return le16(2) + le16(channels) + le32(quint32(rate)) + le32(quint32(rate * blockAlign / samplesPerBlock))
        + le16(blockAlign) + le16(4) + le16(int(extra.size())) + extra;
}

// One mono block header: predictor index, step, newest sample, older sample.
QByteArray monoHeader(int predictor, int delta, int sample1, int sample2)
{
    return QByteArray(1, char(predictor)) + le16(delta) + le16(sample1) + le16(sample2);
}

QList<int> samplesOf(const PcmAudio &pcm)
{
    QList<int> out;
    for (qsizetype i = 0; i + 1 < pcm.samples.size(); i += 2)
        out.append(qFromLittleEndian<qint16>(pcm.samples.constData() + i));
    return out;
}

} // namespace

class TestWaveAudio : public QObject
{
    Q_OBJECT

private slots:
    void pcm16ChunksInAnyOrder()
    {
        const QByteArray samples = le16(1) + le16(-2) + le16(300) + le16(-32768);
        // data before fmt, an odd-sized unknown chunk in between, extra fmt bytes.
        const QByteArray file = riff({chunk("data", samples), chunk("LIST", "abc"),
                                      chunk("fmt ", pcmFormat(2, 22050, 16, "xyzw"))});
        QString error;
        const auto pcm = decodeWave(file, &error);
        QVERIFY2(pcm, qPrintable(error));
        QCOMPARE(pcm->sampleRate, 22050);
        QCOMPARE(pcm->channels, 2);
        QCOMPARE(pcm->bitsPerSample, 16);
        QCOMPARE(pcm->samples, samples);
        QCOMPARE(pcm->frameCount(), 2);
    }

    void pcm8IsWidenedTo16()
    {
        const QByteArray file = riff({chunk("fmt ", pcmFormat(1, 8000, 8)),
                                      chunk("data", QByteArray("\x00\x80\xff", 3))});
        const auto pcm = decodeWave(file);
        QVERIFY(pcm);
        QCOMPARE(pcm->bitsPerSample, 16);
        QCOMPARE(samplesOf(*pcm), (QList<int>{-32768, 0, 32512}));
        // The odd data chunk's pad byte is missing at the end of the file: still accepted.
        QVERIFY(decodeWave(file.chopped(1)));
    }

    void durationFollowsFramesAndRate()
    {
        PcmAudio pcm{16000, 1, 16, QByteArray(16000 * 2 * 3 / 2, '\0')};
        QCOMPARE(pcm.durationMs(), 1500);
        PcmAudio empty;
        QCOMPARE(empty.durationMs(), 0);
    }

    void encodeThenDecodeRoundTrips()
    {
        PcmAudio pcm{11025, 1, 16, le16(5) + le16(-5) + le16(1234)};
        const QByteArray file = encodeWave(pcm);
        QCOMPARE(file.size(), 44 + 6);
        const auto back = decodeWave(file);
        QVERIFY(back);
        QCOMPARE(back->sampleRate, 11025);
        QCOMPARE(back->samples, pcm.samples);
    }

    void msAdpcmMonoKnownValues()
    {
        // Block size 9: a 7-byte header and two bytes of nibbles, six frames per block.
        const QByteArray block1 = monoHeader(0, 16, 100, 50) + QByteArray("\x12\xF7", 2);
        const QByteArray block2 = monoHeader(1, 20, 200, 100) + QByteArray("\x40\x89", 2);
        // A cut-off last block: header plus one byte yields four frames; the first one clips.
        const QByteArray block3 = monoHeader(0, 16, 32760, 0) + QByteArray("\x7F", 1);
        const QByteArray file = riff({chunk("fmt ", adpcmFormat(1, 8000, 9, 6)),
                                      chunk("data", block1 + block2 + block3)});
        QString error;
        const auto pcm = decodeWave(file, &error);
        QVERIFY2(pcm, qPrintable(error));
        QCOMPARE(pcm->bitsPerSample, 16);
        QCOMPARE(samplesOf(*pcm), (QList<int>{50, 100, 116, 148, 132, 244,
                                              100, 200, 380, 560, 580, 180,
                                              0, 32760, 32767, 32729}));
    }

    void msAdpcmStereoInterleavesNibbles()
    {
        const QByteArray header = QByteArray("\x00\x00", 2) + le16(16) + le16(16) + le16(10) + le16(-10)
            + le16(0) + le16(0);
        const QByteArray file = riff({chunk("fmt ", adpcmFormat(2, 8000, 16, 4)),
                                      chunk("data", header + QByteArray("\x1F\x21", 2))});
        const auto pcm = decodeWave(file);
        QVERIFY(pcm);
        QCOMPARE(pcm->channels, 2);
        QCOMPARE(samplesOf(*pcm), (QList<int>{0, 0, 10, -10, 26, -26, 58, -10}));
    }

    void msAdpcmWithoutTableUsesStandardCoefficients()
    {
        // A minimal fmt chunk (no extra bytes): block size alone decides the frame count.
        const QByteArray fmt = le16(2) + le16(1) + le32(8000) + le32(4000) + le16(9) + le16(4);
        const QByteArray block = monoHeader(1, 20, 200, 100) + QByteArray("\x40\x89", 2);
        const auto pcm = decodeWave(riff({chunk("fmt ", fmt), chunk("data", block)}));
        QVERIFY(pcm);
        QCOMPARE(samplesOf(*pcm), (QList<int>{100, 200, 380, 560, 580, 180}));
    }

    void msAdpcmFactChunkCutsLastBlock()
    {
        const QByteArray block = monoHeader(0, 16, 100, 50) + QByteArray("\x12\xF7", 2);
        const QByteArray file = riff({chunk("fmt ", adpcmFormat(1, 8000, 9, 6)), chunk("fact", le32(4)),
                                      chunk("data", block)});
        const auto pcm = decodeWave(file);
        QVERIFY(pcm);
        QCOMPARE(samplesOf(*pcm), (QList<int>{50, 100, 116, 148}));
    }

    void malformedInputIsRefused_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QByteArray fmt = chunk("fmt ", pcmFormat(1, 8000, 16));
        const QByteArray good = riff({fmt, chunk("data", le16(1) + le16(2))});
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not riff") << QByteArray("RIFX\x10\0\0\0WAVEfmt ", 16);
        QTest::newRow("truncated data") << good.chopped(3);
        QTest::newRow("truncated header") << good.left(30);
        QTest::newRow("no data") << riff({fmt});
        QTest::newRow("no fmt") << riff({chunk("data", "ab")});
        QTest::newRow("short fmt") << riff({chunk("fmt ", "abcd"), chunk("data", "ab")});
        QTest::newRow("zero channels") << riff({chunk("fmt ", pcmFormat(0, 8000, 16)), chunk("data", "ab")});
        QTest::newRow("zero rate") << riff({chunk("fmt ", pcmFormat(1, 0, 16)), chunk("data", "ab")});
        QTest::newRow("24 bit") << riff({chunk("fmt ", pcmFormat(1, 8000, 24)), chunk("data", "abc")});
        QByteArray mp3 = pcmFormat(1, 8000, 16);
        mp3[0] = 0x55;
        QTest::newRow("mp3") << riff({chunk("fmt ", mp3), chunk("data", "ab")});
        QByteArray huge = good;
        qToLittleEndian<quint32>(0xFFFFFFF0u, huge.data() + 40); // data chunk size
        QTest::newRow("huge chunk size") << huge;
        // Strays are forgiven only once the sound is whole.
        QTest::newRow("chunk past the end before the data")
            << riff({fmt, QByteArray("JUNK") + le32(5000) + chunk("data", "ab")});
        QTest::newRow("adpcm block smaller than header")
            << riff({chunk("fmt ", adpcmFormat(1, 8000, 5, 2)), chunk("data", "abcdefgh")});
        QTest::newRow("adpcm too many samples per block")
            << riff({chunk("fmt ", adpcmFormat(1, 8000, 9, 50)), chunk("data", "abcdefghi")});
        QTest::newRow("adpcm bad predictor")
            << riff({chunk("fmt ", adpcmFormat(1, 8000, 9, 6)),
                     chunk("data", monoHeader(9, 16, 0, 0) + QByteArray("\0\0", 2))});
    }

    void strayBytesAfterTheSoundAreSkipped_data()
    {
        QTest::addColumn<QByteArray>("strays");
        QTest::addColumn<qsizetype>("skipped");
        QTest::newRow("none") << QByteArray() << qsizetype(0);
        QTest::newRow("a few") << QByteArray("abc") << qsizetype(3);
        QTest::newRow("what looks like a chunk") << QByteArray("JUNK") + le32(1000) + "xy" << qsizetype(10);
        QTest::newRow("a whole chunk is no stray") << chunk("LIST", "abcd") << qsizetype(0);
    }

    void strayBytesAfterTheSoundAreSkipped()
    {
        QFETCH(QByteArray, strays);
        QFETCH(qsizetype, skipped);
        const QByteArray samples = le16(7) + le16(-7);
        QString error;
        qsizetype ignored = -1;
        const auto pcm = decodeWave(riff({chunk("fmt ", pcmFormat(1, 8000, 16)), chunk("data", samples), strays}),
                                    &error, &ignored);
        QVERIFY2(pcm, qPrintable(error));
        QCOMPARE(pcm->samples, samples);
        QCOMPARE(ignored, skipped);
    }

    void malformedInputIsRefused()
    {
        QFETCH(QByteArray, file);
        QString error;
        QVERIFY(!decodeWave(file, &error));
        QVERIFY(!error.isEmpty());
    }

    void garbageNeverCrashes()
    {
        // Random bytes behind a valid header, and random cuts of a valid ADPCM file.
        auto *random = QRandomGenerator::global();
        const QByteArray adpcm = riff({chunk("fmt ", adpcmFormat(2, 8000, 16, 4)),
                                       chunk("data", QByteArray(160, '\x33'))});
        for (int round = 0; round < 2000; ++round) {
            QByteArray file = adpcm.left(random->bounded(int(adpcm.size()) + 1));
            for (int flips = random->bounded(4); flips > 0 && !file.isEmpty(); --flips)
                file[random->bounded(int(file.size()))] = char(random->bounded(256));
            QString error;
            const auto pcm = decodeWave(file, &error);
            if (pcm)
                QVERIFY(pcm->samples.size() <= file.size() * 4 + 64);
            else
                QVERIFY(!error.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestWaveAudio)
#include "tst_waveaudio.moc"
