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
};

} // namespace tilvano
