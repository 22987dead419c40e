// The pieces the default character is made from: its palette and its tray icon bitmaps.

#include "data/merlin/AnimationPlan.h"
#include "data/merlin/CharacterPalette.h"
#include "data/merlin/Colours.h"
#include "data/merlin/FigurePainter.h"
#include "data/merlin/TrayIconBitmaps.h"

#include "platform/acs/AcsTrayIcon.h"

#include <QtTest>

using namespace tilvano;
using namespace tilvano::merlin;

namespace {

int distance(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
    return dr * dr + dg * dg + db * db;
}

} // namespace

class TestMerlinParts : public QObject {
    Q_OBJECT

private slots:
    void paletteHasOneTransparentColourAndTheFiguresColours();
    void everyPoseFitsOnTheCanvas();
    void everyAnimationCanEndByItself();
    void trayIconBitmapsReadBackPixelForPixel_data();
    void trayIconBitmapsReadBackPixelForPixel();
};

void TestMerlinParts::paletteHasOneTransparentColourAndTheFiguresColours()
{
    const QList<QRgb> palette = CharacterPalette::colours();
    QCOMPARE(palette.size(), CharacterPalette::kSize);
    const QRgb transparent = palette[CharacterPalette::kTransparentIndex] & RGB_MASK;
    // A second entry of the same colour would punch holes into the figure.
    for (int i = 0; i < palette.size(); ++i)
        if (i != CharacterPalette::kTransparentIndex)
            QVERIFY2((palette[i] & RGB_MASK) != transparent, qPrintable(QString::number(i)));

    using namespace colours;
    for (const QColor &key : {kOutline, kRobe, kRobeLight, kRobeDark, kHat, kGold, kSkin, kBeard, kBeardShade,
                              kMouthInside, kIris, kWood, kPaper, kHeart}) {
        int best = INT_MAX;
        for (int i = 1; i < palette.size(); ++i)
            best = std::min(best, distance(palette[i], key.rgb()));
        QVERIFY2(best <= 3 * 6 * 6, qPrintable(key.name()));
    }
}

void TestMerlinParts::everyPoseFitsOnTheCanvas()
{
    // A wand tip or a hand running off the edge would be cut off on the desktop.
    const FigurePainter painter;
    QList<Pose> done;
    for (const PlannedAnimation &a : buildAnimationPlan().animations) {
        for (const PlannedFrame &f : a.frames) {
            if (!f.pose || done.contains(*f.pose))
                continue;
            done.append(*f.pose);
            const QImage image = painter.render(*f.pose);
            const int last = FigurePainter::kCanvasSize - 1;
            for (int i = 0; i <= last; ++i) {
                for (const QPoint edge : {QPoint(i, 0), QPoint(i, last), QPoint(0, i), QPoint(last, i)}) {
                    QVERIFY2(qAlpha(image.pixel(edge)) < 128,
                             qPrintable(QStringLiteral("%1 touches the edge at %2,%3").arg(a.name).arg(edge.x()).arg(edge.y())));
                }
            }
        }
    }
    QVERIFY(done.size() > 100);
}

void TestMerlinParts::everyAnimationCanEndByItself()
{
    // Loops go back with less than certainty, so an animation the character
    // plays while nobody stops it still comes to an end.
    for (const PlannedAnimation &a : buildAnimationPlan().animations) {
        for (const PlannedFrame &f : a.frames) {
            int chance = 0;
            for (const acs::Branch &b : f.branches)
                chance += b.probability;
            QVERIFY2(chance < 100, qPrintable(a.name));
        }
        QVERIFY2(!a.frames.isEmpty(), qPrintable(a.name));
    }
}

void TestMerlinParts::trayIconBitmapsReadBackPixelForPixel_data()
{
    QTest::addColumn<int>("side");
    QTest::newRow("16, rows without padding") << 16;
    QTest::newRow("18, padded rows") << 18;
    QTest::newRow("5, a single mask byte") << 5;
}

void TestMerlinParts::trayIconBitmapsReadBackPixelForPixel()
{
    QFETCH(int, side);
    using namespace colours;
    // Transparent upper left triangle, robe blue below it, a gold pixel in the first
    // row and a beard-white one in the last: catches flipped rows and swapped nibbles.
    QImage image(side, side, QImage::Format_ARGB32);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            image.setPixel(x, y, x + y < side / 2 ? qRgba(0, 0, 0, 0) : kRobe.rgb());
    image.setPixel(side - 1, 0, kGold.rgb());
    image.setPixel(side - 2, side - 1, kBeard.rgb());

    const QImage back = acs::AcsTrayIcon::toImage(TrayIconBitmaps::encode(image));
    QCOMPARE(back.size(), image.size());
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const QRgb want = image.pixel(x, y);
            const QRgb got = back.pixel(x, y);
            QCOMPARE(qAlpha(got) > 0, qAlpha(want) > 0);
            if (qAlpha(want) > 0)
                QVERIFY2((got & RGB_MASK) == (want & RGB_MASK), qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
    }
}

QTEST_MAIN(TestMerlinParts)
#include "tst_merlin_parts.moc"
