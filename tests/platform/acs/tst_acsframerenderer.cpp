#include "AcsTestData.h"

#include "platform/acs/AcsFrameRenderer.h"
#include "platform/acs/AcsIndexedImage.h"
#include "platform/acs/AcsReader.h"

#include <QtTest>

using namespace tilvano::acs;
using namespace tilvano::acs::testdata;

namespace {

int differingPixels(const QImage &a, const QImage &b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return n;
}

const QRgb kTransparent = 0;
const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255);

} // namespace

class TestAcsFrameRenderer : public QObject {
    Q_OBJECT

private slots:
    void fixturePixels()
    {
        auto c2 = AcsReader::open(fixture("Character2.acs"));
        QVERIFY(c2);
        const QImage rest = AcsFrameRenderer(c2->info()).render(c2->animation(u"RestPose")->frames[0],
                                                                AcsFrameRenderer::sourceFor(*c2));
        QCOMPARE(rest.size(), QSize(128, 128));
        QCOMPARE(rest.pixel(0, 0), qRgb(224, 32, 64));
        QCOMPARE(rest.pixel(49, 40), qRgb(255, 255, 0));
        QCOMPARE(rest.pixel(120, 120), kTransparent); // outside the 98 x 81 image

        auto face = AcsReader::open(fixture("Happy Face.acs"));
        QVERIFY(face);
        const AcsFrameRenderer renderer(face->info());
        const Frame &speaking = face->animation(u"speak")->frames[2];
        const QImage plain = renderer.render(speaking, AcsFrameRenderer::sourceFor(*face));
        QCOMPARE(plain.pixel(0, 0), kTransparent);
        QCOMPARE(plain.pixel(32, 40), qRgb(0, 0, 0));
        QCOMPARE(plain.pixel(32, 91), qRgb(255, 255, 0));

        // Each mouth changes as many pixels as measured on this character.
        const QList<QPair<MouthType, int>> changes{{MouthType::Closed, 695}, {MouthType::WideOpen1, 482},
                                                    {MouthType::WideOpen4, 0}, {MouthType::Medium, 482},
                                                    {MouthType::Narrow, 809}};
        for (const auto &[mouth, expected] : changes) {
            const QImage speakingImage = renderer.render(speaking, AcsFrameRenderer::sourceFor(*face), mouth);
            QCOMPARE(differingPixels(plain, speakingImage), expected);
        }
    }

    void layersAndOverlays_data()
    {
        QTest::addColumn<std::optional<MouthType>>("mouth");
        QTest::addColumn<QList<QPoint>>("points");
        QTest::addColumn<QList<QRgb>>("colours");
        // Layer 0 is green 4x4 at (2,2) over layer 1, red 8x8.
        QTest::newRow("plain: layer 0 on top") << std::optional<MouthType>()
            << QList<QPoint>{{0, 0}, {2, 2}, {5, 5}, {6, 6}} << QList<QRgb>{kRed, kGreen, kGreen, kRed};
        // The closed mouth (blue 2x2 at (3,3)) replaces the green layer.
        QTest::newRow("replacing mouth") << std::optional<MouthType>(MouthType::Closed)
            << QList<QPoint>{{2, 2}, {3, 3}, {4, 4}, {5, 5}} << QList<QRgb>{kRed, kBlue, kBlue, kRed};
        // The medium mouth is drawn over everything at (-1,-1), clipped to the canvas.
        QTest::newRow("mouth over the frame") << std::optional<MouthType>(MouthType::Medium)
            << QList<QPoint>{{0, 0}, {1, 1}, {3, 3}} << QList<QRgb>{kBlue, kRed, kGreen};
    }

    void layersAndOverlays()
    {
        QFETCH(std::optional<MouthType>, mouth);
        QFETCH(QList<QPoint>, points);
        QFETCH(QList<QRgb>, colours);
        const Character c = tinyCharacter();
        const QImage frame = AcsFrameRenderer(c.info).render(c.animations[0].frames[0], AcsFrameRenderer::sourceFor(c), mouth);
        for (int i = 0; i < points.size(); ++i)
            QCOMPARE(frame.pixel(points[i]), colours[i]);
    }

    void mouthOverFrameIsClippedToItsOutline()
    {
        const Character c = tinyCharacter();
        Frame f;
        f.layers = {FrameLayer{1, 2, 2}};                                   // green 4x4
        f.overlays = {MouthOverlay{MouthType::Closed, false, 0, 0, 0, 0, 0, 0, std::nullopt}}; // red 8x8
        const QImage frame = AcsFrameRenderer(c.info).render(f, AcsFrameRenderer::sourceFor(c), MouthType::Closed);
        QCOMPARE(frame.pixel(3, 3), kRed);
        QCOMPARE(frame.pixel(0, 0), kTransparent);
        QCOMPARE(frame.pixel(7, 7), kTransparent);
    }

    void specialIndices()
    {
        Character c = tinyCharacter();
        c.images[0].pixels[0] = char(4);   // duplicate of the transparent colour
        c.images[0].pixels[1] = char(200); // past the end of the 5-entry palette
        Frame f;
        f.layers = {FrameLayer{0, 0, 0}, FrameLayer{7, 0, 0}}; // image 7 does not exist: skipped
        const QImage frame = AcsFrameRenderer(c.info).render(f, AcsFrameRenderer::sourceFor(c));
        QCOMPARE(frame.pixel(0, 0), kTransparent);
        QCOMPARE(frame.pixel(1, 0), qRgb(0, 0, 0));
        QCOMPARE(frame.pixel(2, 0), kRed);
        QCOMPARE(AcsIndexedImage::toImage(c.images[0], c.info.palette, 0).pixel(0, 0), kTransparent);
    }

    void nearestMouth()
    {
        Frame f;
        QCOMPARE(AcsFrameRenderer::overlayFor(f, MouthType::Closed), nullptr);
        for (MouthType type : {MouthType::Closed, MouthType::WideOpen1, MouthType::Medium}) {
            MouthOverlay o;
            o.type = type;
            f.overlays.append(o);
        }
        QCOMPARE(AcsFrameRenderer::overlayFor(f, MouthType::WideOpen3)->type, MouthType::WideOpen1);
        QCOMPARE(AcsFrameRenderer::overlayFor(f, MouthType::Narrow)->type, MouthType::Medium);
        QCOMPARE(AcsFrameRenderer::overlayFor(f, MouthType::Closed)->type, MouthType::Closed);
        f.overlays.removeAt(1);
        QCOMPARE(AcsFrameRenderer::overlayFor(f, MouthType::WideOpen4)->type, MouthType::Medium);
    }

    void quantisingGivesThePaletteIndicesBack()
    {
        const Character c = tinyCharacter();
        IndexedImage img = solidImage(6, 3, 2, QRect(1, 1, 3, 1));
        img.pixels[0] = char(1);
        img.pixels[17] = char(4); // the transparent duplicate is never chosen
        const QImage argb = AcsIndexedImage::toImage(img, c.info.palette, 0);
        const IndexedImage back = AcsIndexedImage::fromImage(argb, c.info.palette, 0);
        img.pixels[17] = char(0);
        QCOMPARE(back.pixels, img.pixels);
        // Near colours snap to the nearest entry.
        QImage nearly(1, 1, QImage::Format_ARGB32);
        nearly.setPixel(0, 0, qRgba(10, 240, 20, 200));
        QCOMPARE(AcsIndexedImage::fromImage(nearly, c.info.palette, 0).pixel(0, 0), 2);
    }
};

QTEST_GUILESS_MAIN(TestAcsFrameRenderer)
#include "tst_acsframerenderer.moc"
