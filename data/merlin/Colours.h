#pragma once

#include <QColor>

// The wizard's colours. The palette is built around the same values, so the
// shading survives the reduction to 256 colours.
namespace tilvano::merlin::colours {

inline const QColor kOutline(28, 20, 48);
inline const QColor kRobe(52, 84, 196);
inline const QColor kRobeLight(118, 156, 238);
inline const QColor kRobeDark(24, 38, 112);
inline const QColor kHat(112, 60, 176);
inline const QColor kHatLight(170, 120, 228);
inline const QColor kHatDark(56, 26, 100);
inline const QColor kGold(240, 196, 60);
inline const QColor kGoldLight(255, 238, 150);
inline const QColor kGoldDark(176, 122, 24);
inline const QColor kSkin(246, 204, 172);
inline const QColor kSkinDark(216, 152, 122);
inline const QColor kRosy(236, 138, 128);
inline const QColor kBeard(252, 252, 254);
inline const QColor kBeardShade(192, 198, 214);
inline const QColor kMouthInside(96, 22, 36);
inline const QColor kTongue(222, 96, 106);
inline const QColor kIris(60, 112, 204);
inline const QColor kPupil(22, 22, 44);
inline const QColor kWood(126, 76, 38);
inline const QColor kWoodLight(178, 118, 64);
inline const QColor kCover(158, 42, 46);
inline const QColor kPaper(250, 242, 214);
inline const QColor kInk(120, 108, 96);
inline const QColor kGlass(186, 224, 250);
inline const QColor kSmoke(206, 196, 236);
inline const QColor kSmokeDark(150, 138, 196);
inline const QColor kHeart(232, 52, 76);
inline const QColor kWater(96, 166, 242);

} // namespace tilvano::merlin::colours
