#include "AcsTestData.h"

#include "platform/acs/AcsFrameRenderer.h"
#include "platform/acs/AcsReader.h"
#include "platform/acs/AcsRegion.h"
#include "platform/acs/AcsTrayIcon.h"
#include "support/FifoTrap.h"

#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

using namespace tilvano::acs;
using namespace tilvano::acs::testdata;

namespace {

quint32 u32At(const QByteArray &b, qsizetype at) { return qFromLittleEndian<quint32>(b.constData() + at); }
void setU32(QByteArray &b, qsizetype at, quint32 v) { qToLittleEndian<quint32>(v, b.data() + at); }
void setU16(QByteArray &b, qsizetype at, quint16 v) { qToLittleEndian<quint16>(v, b.data() + at); }

int opaqueCount(const IndexedImage &img, quint8 transparent)
{
    return int(img.pixels.size() - img.pixels.count(char(transparent)));
}

// Opens, decodes everything and draws every frame with every mouth: whatever the input, this
// must end in a defined result. Returns whether the file opened.
bool exerciseEverything(const QByteArray &data)
{
    auto reader = AcsReader::fromData(data);
    if (!reader)
        return false;
    reader->readAll();
    for (int i = 0; i < reader->soundCount(); ++i)
        reader->sound(i);
    const AcsFrameRenderer renderer(reader->info().palette, reader->info().transparentIndex,
                                    QSize(std::min<int>(reader->info().width, 512), std::min<int>(reader->info().height, 512)));
    for (const Animation &a : reader->animations())
        for (const Frame &f : a.frames) {
            renderer.render(f, AcsFrameRenderer::sourceFor(*reader));
            if (const MouthOverlay *o = AcsFrameRenderer::overlayFor(f, MouthType::WideOpen3))
                renderer.render(f, AcsFrameRenderer::sourceFor(*reader), o->type);
        }
    AcsTrayIcon::toImage(reader->info().trayIcon.value_or(TrayIcon{}));
    return true;
}

} // namespace

class TestAcsReader : public QObject {
    Q_OBJECT

private slots:
    void fixtureFacts_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("guid");
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<int>("transparentIndex");
        QTest::addColumn<QRgb>("transparentColour");
        QTest::addColumn<quint32>("flags");
        QTest::addColumn<QStringList>("animations");
        QTest::addColumn<QList<int>>("frameCounts");
        QTest::addColumn<QStringList>("states");
        QTest::addColumn<int>("imageCount");
        QTest::addColumn<QSize>("image0Size");
        QTest::addColumn<QRgb>("balloonBackground");
        QTest::addColumn<QRgb>("balloonBorder");
        QTest::addColumn<bool>("hasVoice");
        QTest::addColumn<bool>("hasTrayIcon");

        QTest::newRow("Character2") << "Character2.acs" << "{721B3E24-AC00-4BA2-A628-C2F3871FBCEC}"
            << QSize(128, 128) << 10 << qRgb(64, 32, 0) << 0x210u
            << QStringList{"RestPose", "LoL"} << QList<int>{1, 1}
            << QStringList{"SHOWING=RESTPOSE", "GESTURINGUP=LOL"} << 2 << QSize(98, 81)
            << qRgb(255, 255, 225) << qRgb(100, 100, 100) << false << false;
        QTest::newRow("Happy Face") << "Happy Face.acs" << "{FABD427B-1E05-41BF-AAC2-B6AD1B7ECD70}"
            << QSize(135, 225) << 255 << qRgb(255, 255, 255) << 0x220u
            << QStringList{"Spin", "Sad", "Speak", "Blink", "Show", "Hide"} << QList<int>{5, 3, 3, 3, 1, 1}
            << QStringList{"IDLINGLEVEL1=SPIN", "SPEAKING=SPEAK", "SHOWING=SHOW", "HIDING=HIDE",
                           "IDLINGLEVEL2=BLINK", "IDLINGLEVEL3=SAD"}
            << 10 << QSize(131, 132) << qRgb(255, 255, 255) << qRgb(0, 0, 0) << true << true;
    }

    void fixtureFacts()
    {
        QFETCH(QString, file);
        AcsError error;
        auto reader = AcsReader::open(fixture(file), &error);
        QVERIFY2(reader, qPrintable(error.toString()));
        const CharacterInfo &info = reader->info();

        QCOMPARE(info.majorVersion, 2);
        QCOMPARE(info.minorVersion, 1);
        QCOMPARE(info.animationSetMajor, 2);
        QFETCH(QString, guid);
        QCOMPARE(info.guid.toString(QUuid::WithBraces).toUpper(), guid);
        QFETCH(QSize, canvas);
        QCOMPARE(QSize(info.width, info.height), canvas);
        QFETCH(int, transparentIndex);
        QCOMPARE(info.transparentIndex, transparentIndex);
        QCOMPARE(info.palette.size(), 256);
        QFETCH(QRgb, transparentColour); // catches a red/blue swap in the palette
        QCOMPARE(info.palette[transparentIndex], transparentColour);
        QFETCH(quint32, flags);
        QCOMPARE(info.flags, flags);

        QFETCH(QStringList, animations);
        QFETCH(QList<int>, frameCounts);
        QCOMPARE(reader->animations().size(), animations.size());
        for (int i = 0; i < animations.size(); ++i) {
            const Animation &a = reader->animations()[i];
            QCOMPARE(a.name, animations[i]);
            QCOMPARE(a.frames.size(), frameCounts[i]);
            QCOMPARE(a.transition, TransitionType::None);
            QCOMPARE(reader->animation(animations[i].toUpper()), &a); // case-insensitive lookup
            for (const Frame &f : a.frames) {
                QCOMPARE(f.exitFrame, NoExit);
                QCOMPARE(f.soundIndex, NoSound);
                QVERIFY(f.branches.isEmpty());
            }
        }

        QFETCH(QStringList, states);
        QStringList actualStates;
        for (const State &s : info.states)
            actualStates << s.name + QLatin1Char('=') + s.animations.join(QLatin1Char(','));
        QCOMPARE(actualStates, states);

        QFETCH(int, imageCount);
        QCOMPARE(reader->imageCount(), imageCount);
        QCOMPARE(reader->soundCount(), 0);
        QFETCH(QSize, image0Size);
        const IndexedImage *img = reader->image(0);
        QVERIFY(img);
        QCOMPARE(QSize(img->width, img->height), image0Size);
        // Stored shapes follow the pixels exactly.
        for (int i = 0; i < imageCount; ++i)
            QCOMPARE(reader->image(i)->region, AcsRegion::fromPixels(*reader->image(i), info.transparentIndex));

        QVERIFY(info.balloon);
        QCOMPARE(info.balloon->lines, 2);
        QCOMPARE(info.balloon->charsPerLine, 28);
        QCOMPARE(info.balloon->textColor, qRgb(0, 0, 0));
        QFETCH(QRgb, balloonBackground);
        QCOMPARE(info.balloon->backgroundColor, balloonBackground);
        QFETCH(QRgb, balloonBorder);
        QCOMPARE(info.balloon->borderColor, balloonBorder);
        QCOMPARE(info.balloon->fontName, QStringLiteral("MS Sans Serif"));
        QCOMPARE(info.balloon->fontHeight, -13);

        QFETCH(bool, hasVoice);
        QCOMPARE(info.voice.has_value(), hasVoice);
        QFETCH(bool, hasTrayIcon);
        QCOMPARE(info.trayIcon.has_value(), hasTrayIcon);
    }

    void character2Details()
    {
        auto reader = AcsReader::open(fixture("Character2.acs"));
        QVERIFY(reader);
        QList<quint32> lolLayers;
        for (const FrameLayer &l : reader->animation(u"lol")->frames[0].layers) {
            lolLayers << l.imageIndex;
            QCOMPARE(QPoint(l.x, l.y), QPoint(0, 0));
        }
        QCOMPARE(lolLayers, (QList<quint32>{0, 0, 1, 1, 1, 0}));

        const IndexedImage &img = *reader->image(0);
        QCOMPARE(img.pixel(0, 0), 79);   // top-down: catches a bottom-up mix-up
        QCOMPARE(img.pixel(49, 40), 251);
        QCOMPARE(reader->info().palette[79], qRgb(224, 32, 64));
        QCOMPARE(reader->info().palette[251], qRgb(255, 255, 0));
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(opaqueCount(*reader->image(i), 10), 7929);
            QCOMPARE(reader->image(i)->region->rects.size(), 19);
            QCOMPARE(reader->image(i)->region->bounds, QRect(0, 0, 98, 81));
        }

        // Language choice: exact, same primary language, neutral English, first.
        QCOMPARE(reader->info().localizedInfo.size(), 2);
        QCOMPARE(reader->localizedInfo(0x0010)->name, QStringLiteral("lolli"));
        QCOMPARE(reader->localizedInfo(0x0410)->name, QStringLiteral("lolli"));
        QCOMPARE(reader->localizedInfo(0x0410)->extraData, QStringLiteral("loll"));
        QCOMPARE(reader->localizedInfo(LanguageId::German)->name, QStringLiteral("Character"));
    }

    void happyFaceDetails()
    {
        auto reader = AcsReader::open(fixture("Happy Face.acs"));
        QVERIFY(reader);
        const CharacterInfo &info = reader->info();
        const VoiceInfo &voice = *info.voice;
        QCOMPARE(voice.engineId, QUuid(QStringLiteral("{CA141FD0-AC7F-11D1-97A3-0060082730FF}")));
        QCOMPARE(voice.modeId, QUuid(QStringLiteral("{CA141FD0-AC7F-11D1-97A3-006008273009}")));
        QCOMPARE(voice.speed, 0xFFFFFFFFu);
        QCOMPARE(voice.languageId, 0x0409);
        QCOMPARE(voice.gender, 1);
        QCOMPARE(voice.style, QStringLiteral("Business"));

        QCOMPARE(info.trayIcon->maskBitmap.size(), 120);
        QCOMPARE(info.trayIcon->colorBitmap.size(), 320);
        const QImage icon = AcsTrayIcon::toImage(*info.trayIcon);
        QCOMPARE(icon.size(), QSize(18, 18));
        QVERIFY(qAlpha(icon.pixel(9, 9)) == 255);

        const IndexedImage &face = *reader->image(0);
        QCOMPARE(face.pixel(0, 0), 255);
        QCOMPARE(face.pixel(32, 40), 0);
        QCOMPARE(face.pixel(32, 91), 252);
        QCOMPARE(info.palette[252], qRgb(255, 255, 0));
        QCOMPARE(opaqueCount(face, 255), 9880);
        QCOMPARE(face.region->rects.size(), 65);
        QCOMPARE(face.region->bounds, QRect(QPoint(7, 8), QPoint(118, 119)));
        QCOMPARE(AcsRegion::mouthCentre(face, 255), QPoint(63, 64));
        const IndexedImage &blank = *reader->image(9);
        QCOMPARE(QSize(blank.width, blank.height), QSize(135, 225));
        QCOMPARE(opaqueCount(blank, 255), 0);
        QVERIFY(blank.region->rects.isEmpty());

        int framesWithOverlays = 0;
        for (const Animation &a : reader->animations())
            for (const Frame &f : a.frames)
                framesWithOverlays += f.overlays.isEmpty() ? 0 : 1;
        QCOMPARE(framesWithOverlays, 1);
        const QList<MouthOverlay> &overlays = reader->animation(u"SPEAK")->frames[2].overlays;
        const QList<int> types{0, 1, 4, 5, 6}, images{0, 6, 7, 6, 4};
        QCOMPARE(overlays.size(), 5);
        for (int i = 0; i < overlays.size(); ++i) {
            QCOMPARE(int(overlays[i].type), types[i]);
            QCOMPARE(int(overlays[i].imageIndex), images[i]);
            QVERIFY(!overlays[i].replacesTopLayer);
            QCOMPARE(QPoint(overlays[i].x, overlays[i].y), QPoint(0, 0));
            QCOMPARE(QPoint(overlays[i].centreX, overlays[i].centreY), QPoint(63, 64));
            QVERIFY(!overlays[i].region);
        }
    }

    void refusedFiles_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<AcsErrorCode>("code");
        QTest::newRow("version 1.5") << fixtureBytes("ALIEN.ACS") << AcsErrorCode::UnsupportedVersion15;
        QTest::newRow("empty") << QByteArray() << AcsErrorCode::NotACharacterFile;
        QTest::newRow("text") << QByteArray("Hello, this is no character at all, but long enough for a header.") << AcsErrorCode::NotACharacterFile;
        QTest::newRow("signature only") << QByteArray::fromHex("C3ABCDAB") << AcsErrorCode::NotACharacterFile;
        QByteArray split = fixtureBytes("Character2.acs");
        split[0] = '\xC4';
        QTest::newRow("split character index") << split << AcsErrorCode::NotACharacterFile;

        const QByteArray good = fixtureBytes("Character2.acs");
        for (int locator = 0; locator < 4; ++locator) {
            QByteArray past = good;
            setU32(past, 4 + 8 * locator, quint32(good.size()) - 2);
            QTest::newRow(qPrintable(QStringLiteral("header locator %1 past the end").arg(locator)))
                << past << AcsErrorCode::CorruptFile;
        }
        QByteArray version = good;
        setU16(version, 1238 + 2, 3);
        QTest::newRow("major version 3") << version << AcsErrorCode::UnsupportedVersion;
        QByteArray animations = good;
        setU32(animations, 1152, 0xFFFFFFFF);
        QTest::newRow("animation count huge") << animations << AcsErrorCode::CorruptFile;
        QByteArray frames = good;
        setU16(frames, 36 + 27, 0xFFFF); // frame count of RESTPOSE
        QTest::newRow("frame count huge") << frames << AcsErrorCode::CorruptFile;
        QByteArray images = good;
        setU32(images, 1206, 0x7FFFFFFF);
        QTest::newRow("image count huge") << images << AcsErrorCode::CorruptFile;
        QByteArray localized = good;
        setU32(localized, 1238 + 4, 2540);
        QTest::newRow("localized info past the end") << localized << AcsErrorCode::CorruptFile;
    }

    void refusedFiles()
    {
        QFETCH(QByteArray, data);
        QFETCH(AcsErrorCode, code);
        AcsError error;
        QVERIFY(!AcsReader::fromData(data, &error));
        QCOMPARE(error.code, code);
        QVERIFY(!error.message.isEmpty());
    }

    void missingOrUnopenableFile()
    {
        AcsError error;
        QVERIFY(!AcsReader::open(fixture("no such character.acs"), &error));
        QCOMPARE(error.number(), 0x80070002u);

        // A folder, and a link to a FIFO that nobody writes: refused at once.
        QTemporaryDir dir;
        tilvano::test::FifoTrap fifo(dir.filePath(QStringLiteral("pipe")));
        QVERIFY(fifo.isMade());
        const QString linked = dir.filePath(QStringLiteral("Merlin.acs"));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("pipe")), linked));
        for (const QString &path : {dir.path(), linked}) {
            error = AcsError{};
            QVERIFY(!AcsReader::open(path, &error));
            QCOMPARE(error.code, AcsErrorCode::AccessDenied);
        }
        QVERIFY(!fifo.hadToRelease());
    }

    void damagedItemOnlyDisablesThatItem()
    {
        QByteArray data = fixtureBytes("Character2.acs");
        setU32(data, 1206 + 4, quint32(data.size()) + 100);          // image 0's locator past the end
        const quint32 image1 = u32At(data, 1206 + 16);
        setU16(data, image1 + 1, 5000);                               // image 1 claims 5000 pixels wide
        AcsError error;
        auto reader = AcsReader::fromData(data, &error);
        QVERIFY2(reader, qPrintable(error.toString()));
        QVERIFY(!reader->image(0, &error));
        QCOMPARE(error.code, AcsErrorCode::CorruptFile);
        QVERIFY(!reader->image(1, &error));
        QCOMPARE(error.code, AcsErrorCode::BadImage);
        QVERIFY(!reader->image(2, &error));
        QCOMPARE(error.code, AcsErrorCode::IndexOutOfRange);
        QVERIFY(!reader->readAll(&error));
        // Drawing a frame whose images are broken draws nothing rather than failing.
        const AcsFrameRenderer renderer(reader->info());
        const QImage frame = renderer.render(reader->animations()[1].frames[0], AcsFrameRenderer::sourceFor(*reader));
        QCOMPARE(frame.size(), QSize(128, 128));
        QCOMPARE(frame.pixel(10, 10), 0u);
    }

    void everyTruncationIsHandled()
    {
        const QByteArray whole = fixtureBytes("Character2.acs");
        int opened = 0;
        for (qsizetype n = 0; n < whole.size(); ++n)
            opened += exerciseEverything(whole.left(n)) ? 1 : 0;
        // The info and lists sit at the end of the file, so every cut loses them.
        QCOMPARE(opened, 0);
        QVERIFY(exerciseEverything(whole));
    }

    // Shortens each block's stated size one byte at a time, so every field of every
    // structure is cut off once, within a file that is otherwise whole.
    void everyTruncatedBlockIsHandled()
    {
        const QByteArray whole = fixtureBytes("Character2.acs");
        QList<qsizetype> sizeFields{4 + 4, 12 + 4, 20 + 4, 28 + 4, 1238 + 8};
        for (qsizetype entry = 1152 + 4; entry < 1152 + 54;) { // animation list: name, locator
            entry += 4 + 2 * u32At(whole, entry) + 2;
            sizeFields << entry + 4;
            entry += 8;
        }
        sizeFields << 1206 + 8 << 1206 + 20; // image locators
        for (qsizetype field : sizeFields) {
            const quint32 size = u32At(whole, field);
            for (quint32 n = 0; n < size; ++n) {
                QByteArray damaged = whole;
                setU32(damaged, field, n);
                exerciseEverything(damaged);
            }
        }
    }

    void randomDamageIsHandled()
    {
        const QByteArray whole = fixtureBytes("Happy Face.acs");
        QRandomGenerator rng(1234);
        for (int round = 0; round < 400; ++round) {
            QByteArray damaged = whole;
            const int flips = 1 + rng.bounded(8);
            for (int i = 0; i < flips; ++i) {
                const qsizetype at = rng.bounded(damaged.size());
                damaged[at] = rng.bounded(2) ? char(0xFF) : char(rng.bounded(256));
            }
            exerciseEverything(damaged);
        }
    }
};

QTEST_GUILESS_MAIN(TestAcsReader)
#include "tst_acsreader.moc"
