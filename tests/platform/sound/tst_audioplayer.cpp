#include "platform/sound/AudioPlayer.h"
#include "platform/sound/Loudness.h"
#include "platform/sound/PulseStream.h"
#include "support/FifoTrap.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>

using namespace tilvano;
using namespace tilvano::sound;

namespace {

// A mono 16-bit sine at the given amplitude (0..1).
PcmAudio tone(int durationMs, double amplitude, int rate = 8000)
{
    PcmAudio pcm{rate, 1, 16, {}};
    const int frames = rate * durationMs / 1000;
    pcm.samples.resize(frames * 2);
    for (int i = 0; i < frames; ++i) {
        const double v = amplitude * 32767.0 * std::sin(2.0 * M_PI * 440.0 * i / rate);
        qToLittleEndian<qint16>(qint16(std::lround(v)), pcm.samples.data() + 2 * i);
    }
    return pcm;
}

bool isLoadedInThisProcess(const QByteArray &libraryName)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/" + libraryName);
}

} // namespace

class TestAudioPlayer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Linking the client library would cost every program start its thirty dependencies.
        QVERIFY2(!isLoadedInThisProcess("libpulse-simple.so"), "the sound client must load only for a sound");
    }

    void streamLoadsItsClientLibraryAndFailsCleanlyWithoutServer()
    {
        QVERIFY2(PulseStream::isClientLibraryAvailable(), "libpulse-simple must be installed");
        QVERIFY(isLoadedInThisProcess("libpulse-simple.so"));

        PulseStream unopened;
        const char bytes[4] = {};
        QVERIFY(!unopened.write(bytes, sizeof bytes));
        QVERIFY(unopened.errorString().startsWith(QStringLiteral("writing to the sound server failed: ")));
        QVERIFY(!unopened.drain());
        unopened.flush(); // harmless without a stream
        QVERIFY(!unopened.isOpen());

        PulseStream badFormat;
        QVERIFY(!badFormat.open(PcmAudio{0, 1, 16, {}}, QStringLiteral("test")));
        QCOMPARE(badFormat.errorString(), QStringLiteral("unplayable audio format"));
    }

    void silentPlaybackKeepsTheDuration()
    {
        AudioPlayer player(AudioPlayer::Output::Silent);
        QSignalSpy started(&player, &AudioPlayer::started);
        QSignalSpy finished(&player, &AudioPlayer::finished);
        QSignalSpy position(&player, &AudioPlayer::positionChanged);
        QElapsedTimer clock;
        clock.start();
        const int id = player.play(tone(300, 0.5));
        QCOMPARE(started.count(), 1);
        QCOMPARE(started.first().first().toInt(), id);
        QVERIFY(player.isPlaying());
        QVERIFY(finished.wait(10000));
        QVERIFY(clock.elapsed() >= 299);
        QCOMPARE(finished.first().first().toInt(), id);
        QVERIFY(!position.isEmpty());
        QVERIFY(!player.isPlaying());
        QVERIFY(player.isSilent());
        QTest::qWait(50); // nothing more arrives for a finished sound
        QCOMPARE(finished.count(), 1);
    }

    void automaticOutputAlwaysFinishes()
    {
        // With a sound server this plays; without one it falls back to the silent clock.
        AudioPlayer player(AudioPlayer::Output::Automatic);
        QSignalSpy finished(&player, &AudioPlayer::finished);
        QElapsedTimer clock;
        clock.start();
        const int id = player.play(tone(200, 0.1));
        QVERIFY(finished.wait(10000));
        QVERIFY(clock.elapsed() >= 190);
        QCOMPARE(finished.first().first().toInt(), id);
    }

    void stopAndReplaceFinishEachSoundOnce()
    {
        AudioPlayer player(AudioPlayer::Output::Silent);
        QList<QString> order;
        connect(&player, &AudioPlayer::started, this, [&](int id) { order << QStringLiteral("start %1").arg(id); });
        connect(&player, &AudioPlayer::finished, this, [&](int id) { order << QStringLiteral("end %1").arg(id); });
        const int first = player.play(tone(5000, 0.5));
        const int second = player.play(tone(5000, 0.5)); // replaces the first
        player.stop();
        player.stop(); // a second stop has nothing to end
        QCOMPARE(order, (QList<QString>{QStringLiteral("start %1").arg(first), QStringLiteral("end %1").arg(first),
                                        QStringLiteral("start %1").arg(second), QStringLiteral("end %1").arg(second)}));
        QVERIFY(!player.isPlaying());
        QCOMPARE(player.elapsedMs(), 0);
        QTest::qWait(50);
        QCOMPARE(order.size(), 4);
    }

    void playFileDecodesOrReportsFailure()
    {
        QTemporaryDir dir;
        const QString good = dir.filePath(QStringLiteral("good.wav"));
        const QString bad = dir.filePath(QStringLiteral("bad.wav"));
        QFile f(good);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(encodeWave(tone(100, 0.3)));
        f.close();
        QFile g(bad);
        QVERIFY(g.open(QIODevice::WriteOnly));
        g.write("RIFF\x04\0\0\0WAVEjunk");
        g.close();

        AudioPlayer player(AudioPlayer::Output::Silent);
        QSignalSpy failed(&player, &AudioPlayer::failed);
        QSignalSpy finished(&player, &AudioPlayer::finished);
        const int goodId = player.playFile(good);
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.takeFirst().first().toInt(), goodId);
        QVERIFY(failed.isEmpty());

        // A link to a FIFO, as a macro may name one: refused at once, not waited on.
        test::FifoTrap fifo(dir.filePath(QStringLiteral("pipe")));
        QVERIFY(fifo.isMade());
        const QString linked = dir.filePath(QStringLiteral("linked.wav"));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("pipe")), linked));

        for (const QString &path : {bad, dir.filePath(QStringLiteral("missing.wav")), linked, dir.path()}) {
            const int id = player.playFile(path);
            QVERIFY(finished.wait(10000));
            QCOMPARE(finished.takeFirst().first().toInt(), id);
            QCOMPARE(failed.count(), 1);
            QCOMPARE(failed.first().first().toInt(), id);
            QVERIFY(!failed.takeFirst().at(1).toString().isEmpty());
        }
        QVERIFY(!fifo.hadToRelease());
    }

    void loudnessFollowsTheSignal()
    {
        PcmAudio pcm = tone(100, 1.0);
        pcm.samples += QByteArray(8000 * 2 / 10, '\0'); // then 100 ms of silence
        QVERIFY(qAbs(loudnessAt(pcm, 50) - 1.0) < 0.02);
        QCOMPARE(loudnessAt(pcm, 160), 0.0);
        QVERIFY(qAbs(loudnessAt(tone(100, 0.25), 50) - 0.25) < 0.02);
        QCOMPARE(loudnessAt(pcm, 500), 0.0);  // past the end
        QCOMPARE(loudnessAt(pcm, -5), 0.0);
        QCOMPARE(loudnessAt(PcmAudio{}, 0), 0.0);
        PcmAudio eightBit{8000, 1, 8, QByteArray(800, char(0x80))};
        QCOMPARE(loudnessAt(eightBit, 50), 0.0);
    }
};

QTEST_GUILESS_MAIN(TestAudioPlayer)
#include "tst_audioplayer.moc"
