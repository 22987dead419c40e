#include "AgentCtl/ReadTextLayout.h"

#include <algorithm>

namespace tilvano {

ReadTextLayout ReadTextLayout::forOuterSize(QSize outerTwips)
{
    const int w = outerTwips.width();
    const int h = outerTwips.height();
    ReadTextLayout layout;
    // The margins leave room for the window's border, title bar, menu and the
    // button row; a window shrunk below them gets an empty text box, never a
    // negative one.
    layout.text = QRect(0, 0, std::max(0, w - 120), std::max(0, h - 1140));
    layout.speakButton = QPoint(w - 1335, h - 1080);
    layout.closeButton = QPoint(w - 2610, h - 1080);
    return layout;
}

ReadTextLayout ReadTextLayout::forClientSize(QSize clientTwips)
{
    return forOuterSize(clientTwips + classicFrameTwips);
}

} // namespace tilvano
