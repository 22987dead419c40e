// The default character as the build writes it: read back with the codec's own
// reader and checked for what the character service relies on.

#include "platform/acs/AcsFrameRenderer.h"
#include "platform/acs/AcsReader.h"
#include "platform/acs/AcsTrayIcon.h"

#include <QDir>
#include <QPainter>
#include <QSet>
#include <QtTest>

using namespace tilvano::acs;

namespace {

const QStringList kAnimationNames{
    "Acknowledge", "Alert", "Announce", "Blink", "Confused", "Congratulate", "Decline", "DoMagic1", "DoMagic2",
    "DontRecognize", "Explain", "GestureDown", "GestureLeft", "GestureRight", "GestureUp", "GetAttention", "Greet",
    "Hearing_1", "Hide", "Idle1_1", "Idle1_2", "Idle1_3", "Idle1_4", "Idle2_1", "Idle2_2", "Idle3_1", "LookDown",
    "LookLeft", "LookRight", "LookUp", "MoveDown", "MoveLeft", "MoveRight", "MoveUp", "Pleased", "Process", "Read",
    "ReadContinued", "ReadReturn", "Reading", "RestPose", "Sad", "Search", "Show", "Suggest", "Surprised", "Think",
    "Thinking", "Uncertain", "Wave", "Write", "WriteContinued", "WriteReturn", "Writing"};

const QStringList kStateNames{"SHOWING", "HIDING", "SPEAKING", "IDLINGLEVEL1", "IDLINGLEVEL2", "IDLINGLEVEL3",
                              "MOVINGLEFT", "MOVINGRIGHT", "MOVINGUP", "MOVINGDOWN", "GESTURINGLEFT",
                              "GESTURINGRIGHT", "GESTURINGUP", "GESTURINGDOWN", "LISTENING", "HEARING"};

// Index of the last frame with a picture when the animation plays straight through.
int lastPictureFrame(const Animation &animation)
{
    for (int i = int(animation.frames.size()) - 1; i >= 0; --i)
        if (!animation.frames[i].layers.isEmpty())
            return i;
    return -1;
}

} // namespace

class TestMerlin : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void readsBackWithGermanNameVoiceAndBalloon();
    void carriesTheStandardAnimationsAndStates();
    void everyFrameRefersToRealPicturesAndFrames();
    void speakingFramesCarryAllSevenMouths();
    void gesturesFindTheirWayBackToTheRestPose();
    void interruptedGesturesLeaveThroughTheRestPose();
    void restPoseIsDrawnWithTransparentCorners();
    void picturesAreStoredOnce();
    void writesAContactSheet();

private:
    QImage renderFrame(const Frame &frame, std::optional<MouthType> mouth = std::nullopt);
    QList<FrameLayer> finalLayers(const Animation &animation);

    std::optional<AcsReader> m_reader;
    std::optional<Character> m_character;
};

void TestMerlin::initTestCase()
{
    const QString path = qEnvironmentVariable("TILVANO_MERLIN_ACS");
    QVERIFY2(QFileInfo::exists(path), qPrintable(path));
    AcsError error;
    m_reader = AcsReader::open(path, &error);
    QVERIFY2(m_reader, qPrintable(error.toString()));
    m_character = m_reader->readAll(&error);
    QVERIFY2(m_character, qPrintable(error.toString()));
}

QImage TestMerlin::renderFrame(const Frame &frame, std::optional<MouthType> mouth)
{
    const AcsFrameRenderer renderer(m_character->info);
    return renderer.render(frame, AcsFrameRenderer::sourceFor(*m_character), mouth);
}

// The layers the character is left showing once the animation and whatever
// brings it back (return animation or exit path) have run.
QList<FrameLayer> TestMerlin::finalLayers(const Animation &animation)
{
    if (animation.transition == TransitionType::ReturnAnimation) {
        const Animation *back = m_reader->animation(animation.returnAnimation);
        if (!back || back == &animation)
            return {};
        return finalLayers(*back);
    }
    int shown = lastPictureFrame(animation);
    if (shown < 0)
        return {};
    if (animation.transition == TransitionType::ExitBranches) {
        int f = shown;
        for (int steps = 0; steps < animation.frames.size(); ++steps) {
            const int next = animation.frames[f].exitFrame;
            if (next < 0 || next >= animation.frames.size())
                break;
            f = next;
            if (!animation.frames[f].layers.isEmpty())
                shown = f;
        }
    }
    return animation.frames[shown].layers;
}

void TestMerlin::readsBackWithGermanNameVoiceAndBalloon()
{
    const CharacterInfo &info = m_character->info;
    QCOMPARE(info.width, 128);
    QCOMPARE(info.height, 128);
    QCOMPARE(info.palette.size(), 256);

    const LocalizedInfo *german = m_reader->localizedInfo(LanguageId::German);
    QVERIFY(german);
    QCOMPARE(german->languageId, LanguageId::German);
    QCOMPARE(german->name, QStringLiteral("Merlin"));
    QVERIFY(german->description.startsWith(QStringLiteral("Ein freundlicher Zauberer")));
    // Any other language still finds a name.
    const LocalizedInfo *other = m_reader->localizedInfo(LanguageId::EnglishUS);
    QVERIFY(other);
    QCOMPARE(other->name, QStringLiteral("Merlin"));

    QVERIFY(info.voice);
    QCOMPARE(info.voice->languageId, LanguageId::German);
    QVERIFY(info.balloon);
    QVERIFY(info.flags & CharacterFlag::StandardAnimationSet);

    QVERIFY(info.trayIcon);
    const QImage icon = AcsTrayIcon::toImage(*info.trayIcon);
    QCOMPARE(icon.size(), QSize(16, 16));
    int opaque = 0;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x)
            opaque += qAlpha(icon.pixel(x, y)) > 0;
    QVERIFY2(opaque > 64, "the tray icon shows something");
    QCOMPARE(qAlpha(icon.pixel(0, 15)), 0);
}

void TestMerlin::carriesTheStandardAnimationsAndStates()
{
    for (const QString &name : kAnimationNames) {
        const Animation *a = m_reader->animation(name);
        QVERIFY2(a, qPrintable(name));
        QCOMPARE(a->name, name); // the list keeps the authored spelling
    }
    for (const QString &name : kStateNames) {
        const State *s = m_reader->state(name);
        QVERIFY2(s && !s->animations.isEmpty(), qPrintable(name));
        for (const QString &animation : s->animations)
            QVERIFY2(m_reader->animation(animation), qPrintable(name + " -> " + animation));
    }
}

void TestMerlin::everyFrameRefersToRealPicturesAndFrames()
{
    const int images = m_reader->imageCount();
    for (const Animation &a : m_character->animations) {
        const int frames = int(a.frames.size());
        QVERIFY2(frames > 0, qPrintable(a.name));
        for (int i = 0; i < frames; ++i) {
            const Frame &f = a.frames[i];
            const QString where = QStringLiteral("%1 frame %2").arg(a.name).arg(i);
            for (const FrameLayer &layer : f.layers) {
                QVERIFY2(int(layer.imageIndex) < images, qPrintable(where));
                const IndexedImage *image = m_reader->image(int(layer.imageIndex));
                QVERIFY2(image && !image->isEmpty(), qPrintable(where));
                QVERIFY2(layer.x >= 0 && layer.y >= 0 && layer.x + image->width <= 128 && layer.y + image->height <= 128,
                         qPrintable(where));
            }
            for (const MouthOverlay &overlay : f.overlays)
                QVERIFY2(overlay.imageIndex < images && m_reader->image(overlay.imageIndex), qPrintable(where));
            int chance = 0;
            for (const Branch &b : f.branches) {
                QVERIFY2(b.targetFrame < frames, qPrintable(where));
                chance += b.probability;
            }
            QVERIFY2(chance <= 100, qPrintable(where));
            QVERIFY2(f.exitFrame == NoExit || f.exitFrame == ExitPathEnd || (f.exitFrame >= 0 && f.exitFrame < frames),
                     qPrintable(where));
            // A frame that is neither seen nor waited on only makes sense as a path's end.
            if (f.layers.isEmpty() && f.duration == 0)
                QVERIFY2(f.exitFrame == ExitPathEnd || i == frames - 1, qPrintable(where));
        }
    }
}

void TestMerlin::speakingFramesCarryAllSevenMouths()
{
    int speaking = 0;
    for (const Animation &a : m_character->animations) {
        for (const Frame &f : a.frames) {
            if (f.overlays.isEmpty())
                continue;
            ++speaking;
            QSet<int> types;
            for (const MouthOverlay &o : f.overlays)
                types.insert(int(o.type));
            QCOMPARE(types.size(), MouthTypeCount);
            QCOMPARE(f.overlays.size(), MouthTypeCount);
        }
    }
    QVERIFY(speaking > 20);

    // The wizard can talk in his rest pose, and the mouth really moves there.
    const Frame &rest = m_reader->animation(u"RestPose")->frames.first();
    QCOMPARE(rest.overlays.size(), MouthTypeCount);
    const QImage closed = renderFrame(rest, MouthType::Closed);
    const QImage open = renderFrame(rest, MouthType::WideOpen4);
    QVERIFY(closed != open);
    QCOMPARE(renderFrame(rest, MouthType::Narrow).size(), closed.size());
    // Only the mouth changes: the rest of the picture stays put.
    int changed = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            changed += closed.pixel(x, y) != open.pixel(x, y);
    QVERIFY2(changed > 10 && changed < 200, qPrintable(QString::number(changed)));

    // Gestures hold a pose the wizard can speak on.
    for (const char *name : {"Explain", "GestureLeft", "GestureRight", "Read", "Think", "Wave"}) {
        const Animation *a = m_reader->animation(QString::fromLatin1(name));
        QVERIFY2(!a->frames[lastPictureFrame(*a)].overlays.isEmpty(), name);
    }
}

void TestMerlin::gesturesFindTheirWayBackToTheRestPose()
{
    const QList<FrameLayer> rest = m_reader->animation(u"RestPose")->frames.first().layers;
    QVERIFY(!rest.isEmpty());
    for (const Animation &a : m_character->animations) {
        if (a.name == QLatin1String("Hide"))
            continue; // ends out of sight
        QVERIFY2(finalLayers(a) == rest, qPrintable(a.name));
    }
    // The return animations are the ones that bring the book and the quill down.
    QCOMPARE(m_reader->animation(u"Reading")->returnAnimation.toUpper(), QStringLiteral("READRETURN"));
    QCOMPARE(m_reader->animation(u"Writing")->returnAnimation.toUpper(), QStringLiteral("WRITERETURN"));
    QCOMPARE(m_reader->animation(u"GestureRight")->transition, TransitionType::ExitBranches);
}

void TestMerlin::interruptedGesturesLeaveThroughTheRestPose()
{
    // Stopped at any frame, the exit path must lead back to the rest pose and end,
    // so the character never jumps out of a half-finished gesture.
    const QList<FrameLayer> rest = m_reader->animation(u"RestPose")->frames.first().layers;
    int checked = 0;
    for (const Animation &a : m_character->animations) {
        if (a.transition != TransitionType::ExitBranches)
            continue;
        for (int start = 0; start < a.frames.size(); ++start) {
            if (a.frames[start].layers.isEmpty())
                continue;
            int f = start;
            QList<FrameLayer> shown = a.frames[f].layers;
            int steps = 0;
            while (steps < a.frames.size() && a.frames[f].exitFrame >= 0) {
                f = a.frames[f].exitFrame;
                if (!a.frames[f].layers.isEmpty())
                    shown = a.frames[f].layers;
                ++steps;
            }
            const QString where = QStringLiteral("%1 from frame %2").arg(a.name).arg(start);
            QVERIFY2(a.frames[f].exitFrame == ExitPathEnd, qPrintable(where));
            QVERIFY2(shown == rest, qPrintable(where));
            ++checked;
        }
    }
    QVERIFY(checked > 100);
}

void TestMerlin::restPoseIsDrawnWithTransparentCorners()
{
    const QImage rest = renderFrame(m_reader->animation(u"RestPose")->frames.first());
    QCOMPARE(rest.size(), QSize(128, 128));
    int opaque = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            opaque += qAlpha(rest.pixel(x, y)) == 255;
    QVERIFY2(opaque > 128 * 128 / 4, qPrintable(QString::number(opaque)));
    for (const QPoint corner : {QPoint(0, 0), QPoint(127, 0), QPoint(0, 127), QPoint(127, 127)})
        QCOMPARE(qAlpha(rest.pixel(corner)), 0);
    // Blue robe below the beard, a white beard under the face (catches swapped colour channels).
    const QRgb robe = rest.pixel(36, 112);
    QVERIFY2(qBlue(robe) > qRed(robe) + 60, qPrintable(QString::number(robe, 16)));
    const QRgb beard = rest.pixel(64, 80);
    QVERIFY2(qRed(beard) > 200 && qGreen(beard) > 200 && qBlue(beard) > 200, qPrintable(QString::number(beard, 16)));
}

void TestMerlin::picturesAreStoredOnce()
{
    QSet<QByteArray> seen;
    for (const IndexedImage &image : m_character->images) {
        const QByteArray key = QByteArray::number(image.width) + 'x' + QByteArray::number(image.height) + image.pixels;
        QVERIFY2(!seen.contains(key), "a picture is stored twice");
        seen.insert(key);
    }
    // Blink and the rest pose share their open-eyed picture.
    const Animation *blink = m_reader->animation(u"Blink");
    QCOMPARE(blink->frames.last().layers, m_reader->animation(u"RestPose")->frames.first().layers);
    QVERIFY2(m_reader->fileSize() < 2 * 1024 * 1024, qPrintable(QString::number(m_reader->fileSize())));
}

void TestMerlin::writesAContactSheet()
{
    // For a person to look at: the pose every animation holds at its end, plus
    // the rest pose with each mouth shape.
    QList<std::pair<QString, QImage>> tiles;
    for (const Animation &a : m_character->animations) {
        const int last = lastPictureFrame(a);
        const int shown = last >= 0 ? last : 0;
        tiles.append({a.name, renderFrame(a.frames[shown])});
    }
    const Frame &rest = m_reader->animation(u"RestPose")->frames.first();
    for (int type = 0; type < MouthTypeCount; ++type)
        tiles.append({QStringLiteral("Mund %1").arg(type), renderFrame(rest, MouthType(type))});

    const int columns = 10;
    const int rows = int((tiles.size() + columns - 1) / columns);
    QImage sheet(columns * 132, rows * 146, QImage::Format_ARGB32);
    sheet.fill(QColor(58, 110, 165)); // a desktop-like background
    QPainter p(&sheet);
    for (int i = 0; i < tiles.size(); ++i) {
        const QPoint at((i % columns) * 132 + 2, (i / columns) * 146 + 2);
        p.drawImage(at, tiles[i].second);
        p.setPen(Qt::white);
        p.drawText(QRect(at.x(), at.y() + 128, 128, 16), Qt::AlignCenter, tiles[i].first);
    }
    p.end();

    const QString folder = qEnvironmentVariable("TILVANO_TEST_OUTPUT", QDir::tempPath());
    QVERIFY(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/merlin-contact-sheet.png");
    QVERIFY(sheet.save(file));
    qInfo("contact sheet: %s", qPrintable(file));
}

QTEST_MAIN(TestMerlin)
#include "tst_merlin.moc"
