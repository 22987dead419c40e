#pragma once

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
};

// 15 twips make one pixel.
inline constexpr int TwipsPerPixel = 15;

} // namespace tilvano
