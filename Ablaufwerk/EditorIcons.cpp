#include "Ablaufwerk/EditorIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tilvano::ablaufwerk {

namespace {

constexpr int iconSide = 32;

// Draws at 32 pixels; the icon engine scales for smaller buttons.
template <typename Paint>
QIcon drawnIcon(Paint paint)
{
    QPixmap pixmap(iconSide, iconSide);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter);
    painter.end();
    return QIcon(pixmap);
}

void drawListLines(QPainter &painter, int count, int highlighted = -1)
{
    for (int i = 0; i < count; ++i) {
        const QRectF line(3, 4 + i * 7, 18, 4);
        painter.setPen(Qt::NoPen);
        painter.setBrush(i == highlighted ? QColor(0xe0, 0x8a, 0x1e) : QColor(0x6b, 0x72, 0x80));
        painter.drawRoundedRect(line, 1.5, 1.5);
    }
}

} // namespace

QIcon EditorIcons::insertLine()
{
    return drawnIcon([](QPainter &painter) {
        drawListLines(painter, 3);
        painter.setPen(QPen(QColor(0x2e, 0x9d, 0x3a), 5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(22, 18), QPointF(22, 30));
        painter.drawLine(QPointF(16, 24), QPointF(28, 24));
    });
}

QIcon EditorIcons::replaceLine()
{
    return drawnIcon([](QPainter &painter) {
        drawListLines(painter, 4, 2);
        QPainterPath arrow;
        arrow.moveTo(30, 6);
        arrow.cubicTo(30, 16, 28, 20, 22, 20);
        painter.setPen(QPen(QColor(0x25, 0x63, 0xeb), 3, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(arrow);
        QPolygonF head;
        head << QPointF(18, 20) << QPointF(24, 15) << QPointF(24, 25);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x25, 0x63, 0xeb));
        painter.drawPolygon(head);
    });
}

QPixmap EditorIcons::emblem(int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(side / 100.0, side / 100.0);
    QLinearGradient sky(0, 0, 0, 100);
    sky.setColorAt(0, QColor(0x3b, 0x82, 0xf6));
    sky.setColorAt(1, QColor(0x1e, 0x3a, 0x8a));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sky);
    painter.drawRoundedRect(QRectF(4, 4, 92, 92), 16, 16);
    // A wizard's hat over a film of frames: a character acting a script.
    painter.setBrush(QColor(0xfa, 0xcc, 0x15));
    QPolygonF hat;
    hat << QPointF(50, 12) << QPointF(72, 58) << QPointF(28, 58);
    painter.drawPolygon(hat);
    painter.drawEllipse(QRectF(20, 54, 60, 10));
    painter.setBrush(Qt::white);
    for (int frame = 0; frame < 3; ++frame)
        painter.drawRoundedRect(QRectF(18 + frame * 23, 72, 18, 14), 3, 3);
    painter.end();
    return pixmap;
}

} // namespace tilvano::ablaufwerk
