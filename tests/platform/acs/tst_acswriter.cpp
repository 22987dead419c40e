#include "AcsTestData.h"

#include "platform/acs/AcsReader.h"
#include "platform/acs/AcsRegion.h"
#include "platform/acs/AcsWriter.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <algorithm>

using namespace tilvano;
using namespace tilvano::acs;
using namespace tilvano::acs::testdata;

namespace {

quint32 u32At(const QByteArray &b, qsizetype at) { return qFromLittleEndian<quint32>(b.constData() + at); }

Character readBack(const QByteArray &bytes)
{
    AcsError error;
    auto reader = AcsReader::fromData(bytes, &error);
    if (!reader)
        qFatal("written file does not read back: %s", qPrintable(error.toString()));
    auto character = reader->readAll(&error);
    if (!character)
        qFatal("written file does not decode: %s", qPrintable(error.toString()));
    return *character;
}

Character readFixture(const QString &name)
{
    return readBack(fixtureBytes(name));
}

// Sum of the stored (compressed) pixel-data sizes of all images.
qint64 storedPixelBytes(const QByteArray &file)
{
    const quint32 list = u32At(file, 20);
    qint64 total = 0;
    for (quint32 i = 0, n = u32At(file, list); i < n; ++i)
        total += u32At(file, u32At(file, list + 4 + 12 * i) + 6);
    return total;
}

// A character that uses every optional part of the format.
Character everythingCharacter()
{
    Character c = tinyCharacter();
    c.info.flags = CharacterFlag::VoiceEnabled | CharacterFlag::BalloonEnabled | CharacterFlag::StandardAnimationSet
        | CharacterFlag::BalloonSizeToText | 0x80000000u; // an unknown bit survives too
    VoiceInfo voice;
    voice.engineId = QUuid(QStringLiteral("{CA141FD0-AC7F-11D1-97A3-0060082730FF}"));
    voice.speed = 157;
    voice.pitch = 120;
    voice.hasExtraData = true;
    voice.dialect = QStringLiteral("Hochdeutsch");
    voice.gender = 2;
    voice.age = 40;
    voice.style = QStringLiteral("Gemütlich");
    c.info.voice = voice;
    c.info.balloon->italic = true;
    c.info.balloon->fontWeight = 700;
    c.info.trayIcon = TrayIcon{QByteArray(50, 'm'), QByteArray(70, 'c')};
    c.info.localizedInfo.append(LocalizedInfo{0x0009, QStringLiteral("Tiny"), QString(), QStringLiteral("1.0^^hi")});

    sound::PcmAudio pcm{8000, 1, 16, QByteArray::fromHex("00010002FF7F0080")};
    c.sounds = {Sound{sound::encodeWave(pcm)}};

    Animation wave;
    wave.name = QStringLiteral("Wave");
    wave.transition = TransitionType::ReturnAnimation;
    wave.returnAnimation = QStringLiteral("SHOW");
    Frame a;
    a.layers = {FrameLayer{0, -3, 2}, FrameLayer{2, 7, 7}};
    a.soundIndex = 0;
    a.duration = 25;
    a.exitFrame = 1;
    a.branches = {Branch{1, 30}, Branch{0, 70}};
    Frame b;
    b.duration = 0;
    b.exitFrame = ExitPathEnd;
    b.overlays = {MouthOverlay{MouthType::Narrow, true, 1, 0, 1, 2, 3, 4, QByteArray("rgn")}};
    wave.frames = {a, b};
    c.animations.append(wave);
    c.images[1].region = ImageRegion{QRect(0, 0, 1, 1), {QRect(0, 0, 1, 1)}}; // a stored shape wins
    return c;
}

} // namespace

class TestAcsWriter : public QObject {
    Q_OBJECT

private slots:
    void fixturesRoundTrip_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("Character2") << "Character2.acs";
        QTest::newRow("Happy Face") << "Happy Face.acs";
    }

    void fixturesRoundTrip()
    {
        QFETCH(QString, file);
        const Character original = readFixture(file);
        const auto written = AcsWriter::write(original);
        QVERIFY(written);
        const Character again = readBack(*written);
        // Field by field first, for a readable failure; then everything at once.
        QCOMPARE(again.info, original.info);
        QCOMPARE(again.animations, original.animations);
        QCOMPARE(again.images.size(), original.images.size());
        for (int i = 0; i < original.images.size(); ++i)
            QVERIFY2(again.images[i] == original.images[i], qPrintable(QStringLiteral("image %1").arg(i)));
        QVERIFY(again == original);
        QCOMPARE(AcsWriter::write(again), written); // deterministic
    }

    void compressionCloseToOriginal()
    {
        const QByteArray original = fixtureBytes("Happy Face.acs");
        const auto rewritten = AcsWriter::write(readBack(original));
        QVERIFY(rewritten);
        const qint64 theirs = storedPixelBytes(original), ours = storedPixelBytes(*rewritten);
        qInfo("compressed pixels: original %lld bytes, ours %lld bytes (%.1f %%)", theirs, ours, 100.0 * ours / theirs);
        QVERIFY(ours * 100 <= theirs * 110);
    }

    void everyPartRoundTrips()
    {
        Character c = everythingCharacter();
        const auto written = AcsWriter::write(c);
        QVERIFY(written);
        const Character again = readBack(*written);
        // Shapes the model left out come back derived from the pixels.
        QCOMPARE(again.images[1].region, c.images[1].region);
        for (IndexedImage &img : c.images)
            if (!img.region)
                img.region = AcsRegion::fromPixels(img, c.info.transparentIndex);
        QCOMPARE(again.info, c.info);
        QCOMPARE(again.animations, c.animations);
        QCOMPARE(again.images, c.images);
        QCOMPARE(again.sounds, c.sounds);

        auto reader = AcsReader::fromData(*written);
        const sound::PcmAudio *pcm = reader->sound(0);
        QVERIFY(pcm);
        QCOMPARE(pcm->sampleRate, 8000);
        QCOMPARE(pcm->samples, QByteArray::fromHex("00010002FF7F0080"));
    }

    void blocksTileTheFile()
    {
        const auto written = AcsWriter::write(everythingCharacter());
        QVERIFY(written);
        const QByteArray &f = *written;
        QList<QPair<quint32, quint32>> blocks; // offset, size
        for (int i = 0; i < 4; ++i)
            blocks.append({u32At(f, 4 + 8 * i), u32At(f, 8 + 8 * i)});
        const quint32 animationList = u32At(f, 12);
        qsizetype at = animationList + 4;
        for (quint32 i = 0, n = u32At(f, animationList); i < n; ++i) {
            const quint32 nameUnits = u32At(f, at);
            at += 4 + (nameUnits ? 2 * nameUnits + 2 : 0);
            blocks.append({u32At(f, at), u32At(f, at + 4)});
            at += 8;
        }
        for (int list : {20, 28})
            for (quint32 i = 0, n = u32At(f, u32At(f, list)); i < n; ++i)
                blocks.append({u32At(f, u32At(f, list) + 4 + 12 * i), u32At(f, u32At(f, list) + 8 + 12 * i)});
        std::sort(blocks.begin(), blocks.end());
        quint32 expected = 36;
        for (const auto &[offset, size] : blocks) {
            QCOMPARE(offset, expected);
            expected += size;
        }
        QCOMPARE(qsizetype(expected), f.size());
        // The localized info closes the file and lies inside the character info's span.
        const quint32 info = u32At(f, 4);
        QCOMPARE(qsizetype(u32At(f, info + 4) + u32At(f, info + 8)), f.size());
    }

    void presenceDecidesFlags()
    {
        Character c = tinyCharacter();
        c.info.flags = CharacterFlag::VoiceEnabled; // claims a voice the model does not have
        c.info.balloon.reset();
        const Character again = readBack(*AcsWriter::write(c));
        QCOMPARE(again.info.flags, 0u);
        QVERIFY(!again.info.voice);
        QVERIFY(!again.info.balloon);
    }

    void invalidModelsAreRefused_data()
    {
        QTest::addColumn<Character>("character");
        Character shortPixels = tinyCharacter();
        shortPixels.images[0].pixels.chop(1);
        QTest::newRow("too few pixels") << shortPixels;
        Character missingImage = tinyCharacter();
        missingImage.animations[0].frames[0].layers[0].imageIndex = 3;
        QTest::newRow("layer without image") << missingImage;
        Character manyBranches = tinyCharacter();
        manyBranches.animations[0].frames[0].branches.fill(Branch{0, 0}, 256);
        QTest::newRow("256 branches") << manyBranches;
    }

    void invalidModelsAreRefused()
    {
        QFETCH(Character, character);
        AcsError error;
        QVERIFY(!AcsWriter::write(character, &error));
        QCOMPARE(error.code, AcsErrorCode::InvalidModel);
    }

    void writeFileReportsFailure()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tiny.acs"));
        QVERIFY(AcsWriter::writeFile(tinyCharacter(), path));
        QVERIFY(AcsReader::open(path));
        AcsError error;
        QVERIFY(!AcsWriter::writeFile(tinyCharacter(), dir.filePath(QStringLiteral("no/such/folder/x.acs")), &error));
        QVERIFY(error.isError());
    }
};

QTEST_GUILESS_MAIN(TestAcsWriter)
#include "tst_acswriter.moc"
