#pragma once

#include "AcsModel.h"

#include <QImage>

namespace tilvano::acs {

// The tray icon's two bitmaps as one ARGB image.
class AcsTrayIcon {
public:
    // Transparent where the mask bit is set, the colour bitmap's colour elsewhere. A null
    // image when either bitmap is malformed or their sizes differ.
    static QImage toImage(const TrayIcon &icon);
};

} // namespace tilvano::acs
