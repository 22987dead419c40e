#include "CharacterPalette.h"

#include "Colours.h"

#include <QColor>

#include <array>

namespace tilvano::merlin {

using namespace colours;

namespace {

const QRgb kTransparent = qRgb(255, 0, 255);

QRgb mix(const QColor &a, const QColor &b, double t)
{
    return qRgb(int(a.red() + (b.red() - a.red()) * t + 0.5), int(a.green() + (b.green() - a.green()) * t + 0.5),
                int(a.blue() + (b.blue() - a.blue()) * t + 0.5));
}

// Shades along the stops in order, `perSegment` between each two of them; every
// stop itself is included, so the colours the figure is drawn with are exact.
void addRamp(QList<QRgb> &out, std::initializer_list<QColor> stops, int perSegment)
{
    const QList<QColor> list(stops);
    for (qsizetype k = 0; k + 1 < list.size(); ++k)
        for (int i = 0; i < perSegment; ++i)
            out.append(mix(list[k], list[k + 1], double(i) / perSegment));
    out.append(list.last().rgb());
}

void addUnique(QList<QRgb> &palette, QRgb colour)
{
    colour |= 0xFF000000u;
    if ((colour & RGB_MASK) == (kTransparent & RGB_MASK))
        colour = qRgb(254, 0, 255); // never let a visible colour read as transparent
    if (!palette.contains(colour))
        palette.append(colour);
}

} // namespace

QList<QRgb> CharacterPalette::colours()
{
    QList<QRgb> ramps;
    addRamp(ramps, {kOutline, QColor(128, 130, 150), kBeardShade, kBeard}, 6);
    addRamp(ramps, {QColor(10, 16, 56), kRobeDark, kRobe, kRobeLight, QColor(196, 214, 252)}, 7);
    addRamp(ramps, {QColor(28, 10, 52), kHatDark, kHat, kHatLight, QColor(220, 192, 248)}, 6);
    addRamp(ramps, {QColor(104, 64, 8), kGoldDark, kGold, kGoldLight, QColor(255, 250, 220)}, 5);
    addRamp(ramps, {QColor(148, 92, 72), kSkinDark, kSkin, QColor(255, 238, 224)}, 6);
    addRamp(ramps, {QColor(150, 70, 66), kRosy, QColor(255, 206, 200)}, 5);
    addRamp(ramps, {QColor(50, 8, 16), kMouthInside, kTongue, kHeart}, 5);
    addRamp(ramps, {QColor(60, 34, 14), kWood, kWoodLight}, 6);
    addRamp(ramps, {QColor(80, 16, 20), kCover, QColor(220, 110, 110)}, 4);
    addRamp(ramps, {kInk, kPaper, QColor(255, 252, 240)}, 4);
    addRamp(ramps, {kPupil, kIris, kWater, kGlass, QColor(236, 246, 255)}, 4);
    addRamp(ramps, {kSmokeDark, kSmoke, QColor(244, 240, 254)}, 5);

    // Antialiased edges between two materials blend their colours.
    const std::array<QColor, 9> materials{kRobe, kHat, kGold, kSkin, kBeard, kRosy, kWood, kPaper, kGlass};
    for (std::size_t a = 0; a < materials.size(); ++a)
        for (std::size_t b = a + 1; b < materials.size(); ++b)
            ramps.append(mix(materials[a], materials[b], 0.5));

    // Balloon colours, so a balloon drawn with the character's palette looks right.
    ramps.append(qRgb(255, 255, 225));
    ramps.append(qRgb(0, 0, 0));
    ramps.append(qRgb(128, 128, 128));

    QList<QRgb> palette{kTransparent};
    for (QRgb c : ramps)
        addUnique(palette, c);
    // Any room left holds a plain grey scale; it is never short of 256 entries.
    for (int level = 0; palette.size() < kSize && level < 256; ++level)
        addUnique(palette, qRgb(level, level, level));
    palette.resize(kSize);
    return palette;
}

} // namespace tilvano::merlin
