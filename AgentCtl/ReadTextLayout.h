#pragma once

#include "common/Twips.h"

#include <QRect>
#include <QSize>

namespace tilvano {

// Where the read-text window's parts go for a given outer window size
// (border, title bar and menu included). All values are in twips.
struct ReadTextLayout {
    QRect text;        // Text1
    QPoint speakButton; // btnSpeekText, keeps its size
    QPoint closeButton; // btnClose, keeps its size

    static ReadTextLayout forOuterSize(QSize outerTwips);
    // The same for a window whose client area (below the menu, inside the
    // border) has this size: the rule's margins are those of the classic
    // window frame, so the parts end flush with the client area whatever
    // frame the window manager draws.
    static ReadTextLayout forClientSize(QSize clientTwips);
    static constexpr QSize classicFrameTwips{120, 690}; // border, title bar and menu
};

} // namespace tilvano
