#pragma once

#include "platform/acs/AcsModel.h"

#include <QImage>

namespace tilvano::merlin {

// Packs a small ARGB picture as the two bitmaps a character's tray icon is
// stored as: a 1-bit mask (set = transparent) and a 4-bit colour bitmap whose
// 16 colours are the wizard's key colours.
class TrayIconBitmaps {
public:
    static acs::TrayIcon encode(const QImage &icon);
};

} // namespace tilvano::merlin
