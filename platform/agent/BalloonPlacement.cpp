#include "BalloonPlacement.h"

#include <QGuiApplication>
#include <QRegion>
#include <QScreen>

#include <algorithm>
#include <limits>

namespace tilvano::agent {

QRect keepInside(const QRect &rect, const QRect &area)
{
    if (!area.isValid())
        return rect;
    QRect moved = rect;
    if (moved.right() > area.right())
        moved.moveRight(area.right());
    if (moved.bottom() > area.bottom())
        moved.moveBottom(area.bottom());
    if (moved.left() < area.left())
        moved.moveLeft(area.left());
    if (moved.top() < area.top())
        moved.moveTop(area.top());
    return moved;
}

BalloonPlacement placeBalloon(const QRect &character, const QSize &balloon, const QRect &screen, int tailLength)
{
    BalloonPlacement placement;
    const int centreX = character.left() + character.width() / 2;
    QRect rect(QPoint(centreX - balloon.width() / 2, character.top() - tailLength - balloon.height()), balloon);
    if (screen.isValid() && rect.top() < screen.top()) {
        rect.moveTop(character.bottom() + 1 + tailLength);
        placement.belowCharacter = true;
    }
    rect = keepInside(rect, screen);
    placement.rect = rect;
    // The tail leaves the balloon's edge as near the character's middle as the rounded corners allow.
    const int margin = std::min(12, rect.width() / 2);
    const int tipX = std::clamp(centreX, rect.left() + margin, std::max(rect.left() + margin, rect.right() - margin));
    placement.tailTip = QPoint(tipX, placement.belowCharacter ? character.bottom() : character.top());
    return placement;
}

QRect screenNear(const QPoint &point, const QList<QRect> &screens)
{
    QRect nearest;
    qint64 nearestDistance = std::numeric_limits<qint64>::max();
    for (const QRect &screen : screens) {
        if (screen.contains(point))
            return screen;
        const qint64 dx = point.x() < screen.left() ? screen.left() - point.x()
                          : point.x() > screen.right() ? point.x() - screen.right() : 0;
        const qint64 dy = point.y() < screen.top() ? screen.top() - point.y()
                          : point.y() > screen.bottom() ? point.y() - screen.bottom() : 0;
        const qint64 distance = dx * dx + dy * dy;
        if (distance < nearestDistance) {
            nearestDistance = distance;
            nearest = screen;
        }
    }
    return nearest;
}

QRect keepOnScreens(const QRect &rect, const QList<QRect> &screens)
{
    if (screens.isEmpty())
        return rect;
    QRegion covered;
    for (const QRect &screen : screens)
        covered += screen;
    if (covered.intersected(rect) == QRegion(rect))
        return rect;
    return keepInside(rect, screenNear(rect.center(), screens));
}

QList<QRect> screenGeometries()
{
    QList<QRect> geometries;
    for (const QScreen *screen : QGuiApplication::screens())
        geometries.append(screen->geometry());
    return geometries;
}

QRect desktopArea()
{
    QRect area;
    for (const QScreen *screen : QGuiApplication::screens())
        area = area.united(screen->geometry());
    return area;
}

} // namespace tilvano::agent
