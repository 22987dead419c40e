#pragma once

#include <QList>
#include <QRgb>

namespace tilvano::merlin {

// The 256 colours every image of the wizard shares: shading ramps for each
// material of the figure (robe, hat, gold, skin, beard, ...), the blends that
// antialiased edges between two materials produce, and the balloon colours.
// Entry 0 is the transparent colour, a magenta that appears nowhere else.
class CharacterPalette {
public:
    static constexpr int kSize = 256;
    static constexpr quint8 kTransparentIndex = 0;

    static QList<QRgb> colours();
};

} // namespace tilvano::merlin
