#include "AcsTestData.h"

#include "platform/acs/AcsWriter.h"
#include "platform/sound/WaveAudio.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace tilvano;
using namespace tilvano::acs;
using namespace tilvano::acs::testdata;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run tool(const QStringList &args)
{
    QProcess p;
    p.start(qEnvironmentVariable("TILVANO_ACS_TOOL"), args);
    if (!p.waitForFinished(60000))
        qFatal("tilvano-acs did not finish");
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class TestAcsTool : public QObject {
    Q_OBJECT

private slots:
    void info()
    {
        const Run r = tool({"info", fixture("Happy Face.acs")});
        QCOMPARE(r.exitCode, 0);
        for (const char *expected : {"Happy Face", "135 x 225", "{FABD427B-1E05-41BF-AAC2-B6AD1B7ECD70}",
                                     "images:      10", "Speak (3 frames)", "IDLINGLEVEL3: SAD"})
            QVERIFY2(r.out.contains(QLatin1String(expected)), expected);
    }

    void renderWritesATransparentPng()
    {
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("speak.png"));
        const Run r = tool({"render", fixture("Happy Face.acs"), "speak", "2", png, "6"});
        QCOMPARE(r.exitCode, 0);
        const QImage image(png);
        QCOMPARE(image.size(), QSize(135, 225));
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(image.pixel(32, 40), qRgb(0, 0, 0));
    }

    void soundsAndCheck()
    {
        QTemporaryDir dir;
        Character c = tinyCharacter();
        const sound::PcmAudio pcm{11025, 1, 16, QByteArray::fromHex("0000FF7F00800100")};
        // The second sound carries what widely spread characters have: strays after its data,
        // counted by the RIFF size, that read like the start of a chunk running past the end.
        QByteArray stray = sound::encodeWave(pcm) + QByteArray("JUNK\xE8\x03\0\0xy", 10);
        qToLittleEndian<quint32>(quint32(stray.size() - 8), stray.data() + 4);
        c.sounds = {Sound{sound::encodeWave(pcm)}, Sound{stray}};
        const QString file = dir.filePath(QStringLiteral("tiny.acs"));
        QVERIFY(AcsWriter::writeFile(c, file));

        const Run checked = tool({"check", file});
        QCOMPARE(checked.exitCode, 0);
        QVERIFY2(checked.out.contains(QLatin1String("note: sound 1: 10 stray bytes")), qPrintable(checked.out));
        QVERIFY(!checked.out.contains(QLatin1String("sound 0")));
        const Run r = tool({"sounds", file, dir.filePath(QStringLiteral("out"))});
        QCOMPARE(r.exitCode, 0);
        const QStringList wavs = QDir(dir.filePath(QStringLiteral("out"))).entryList({"*.wav"});
        QCOMPARE(wavs.size(), 2);
        QFile wav(dir.filePath(QStringLiteral("out/") + wavs[0]));
        QVERIFY(wav.open(QIODevice::ReadOnly));
        QCOMPARE(sound::decodeWave(wav.readAll())->samples, pcm.samples);

        // A damaged image makes check fail, naming the image.
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QByteArray bytes = f.readAll();
        const quint32 imageList = qFromLittleEndian<quint32>(bytes.constData() + 20);
        const quint32 image0 = qFromLittleEndian<quint32>(bytes.constData() + imageList + 4);
        bytes[image0 + 10] = '\x07'; // the compressed stream's leading byte must be zero
        f.seek(0);
        f.write(bytes);
        f.close();
        const Run damaged = tool({"check", file});
        QCOMPARE(damaged.exitCode, 1);
        QVERIFY(damaged.err.contains(QLatin1String("image 0")));
    }

    void failuresAndUsage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("no arguments") << QStringList{} << 2 << "Aufruf:";
        QTest::newRow("unknown command") << QStringList{"paint", "x"} << 2 << "Aufruf:";
        QTest::newRow("version 1.5") << QStringList{"info", fixture("ALIEN.ACS")} << 1 << "0x80041002";
        QTest::newRow("unknown animation") << QStringList{"render", fixture("Happy Face.acs"), "Dance", "0", "/tmp/x.png"} << 1 << "Dance";
    }

    void failuresAndUsage()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const Run r = tool(args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(TestAcsTool)
#include "tst_acstool.moc"
