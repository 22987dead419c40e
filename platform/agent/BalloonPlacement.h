#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace tilvano::agent {

// Where a balloon goes: its rectangle, and where its tail points.
struct BalloonPlacement {
    QRect rect;
    bool belowCharacter = false; // flipped under the character for want of room above
    QPoint tailTip;              // on the character's top (or bottom) edge
};

// Above the character and centred on it when there is room; flipped below it when the top of
// the screen is too near; shifted sideways at the left and right edges so that it stays whole
// on the screen. A balloon larger than the screen keeps its top-left corner on the screen.
BalloonPlacement placeBalloon(const QRect &character, const QSize &balloon, const QRect &screen,
                              int tailLength = 14);

// `rect` moved (not resized) the least so that it lies inside `area`; its top-left corner
// stays inside when it is larger than the area.
QRect keepInside(const QRect &rect, const QRect &area);

// `rect` as it may stand on these screens: unchanged when every pixel of it is on some screen
// (it may straddle two), else moved the least onto the screen nearest to its centre. Without
// screens it is returned as it is.
QRect keepOnScreens(const QRect &rect, const QList<QRect> &screens);

// The geometries of all screens, and the screen a point is on (else the nearest one).
QList<QRect> screenGeometries();
QRect screenNear(const QPoint &point, const QList<QRect> &screens);

// The rectangle covering all screens; empty without screens.
QRect desktopArea();

} // namespace tilvano::agent
