#pragma once

#include "Pose.h"

#include <QImage>
#include <QPointF>
#include <QRectF>

class QPainter;
class QPainterPath;

namespace tilvano::merlin {

// Draws the wizard in a given pose onto a transparent true-colour canvas, with
// antialiasing and soft shading. Every part has a dark outline so that the hard
// edge left after reducing the picture to a palette still looks clean.
class FigurePainter {
public:
    static constexpr int kCanvasSize = 128;

    QImage render(const Pose &pose) const;
    // The part `area` of the canvas, drawn as a size x size picture.
    QImage render(const Pose &pose, const QRectF &area, int size) const;

    // A small square picture of the wizard's head and hat, for the tray.
    QImage renderIcon(int size) const;

private:
    void drawStreaks(QPainter &p, const Pose &pose) const;
    void drawFeet(QPainter &p) const;
    void drawRobe(QPainter &p, const Pose &pose) const;
    void drawHead(QPainter &p, const Pose &pose) const;
    void drawEyes(QPainter &p, const Pose &pose, QPointF left, QPointF right) const;
    void drawBrows(QPainter &p, const Pose &pose, QPointF left, QPointF right) const;
    void drawMouth(QPainter &p, Mouth mouth, QPointF at) const;
    void drawHat(QPainter &p, const Pose &pose) const;
    void drawArm(QPainter &p, const Arm &arm, QPointF shoulder, int side) const;
    void drawHand(QPainter &p, const Arm &arm, QPointF shoulder, int side) const;
    void drawWand(QPainter &p, const Pose &pose) const;
    void drawProp(QPainter &p, const Pose &pose) const;
    void drawSign(QPainter &p, const Pose &pose) const;
    void drawSparkles(QPainter &p, const Pose &pose) const;
    void drawPuff(QPainter &p, double amount) const;
};

} // namespace tilvano::merlin
