#include "FigurePainter.h"

#include "Colours.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>

#include <array>
#include <cmath>

namespace tilvano::merlin {

using namespace colours;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Anchor points of the neutral figure on the 128 x 128 canvas.
const QPointF kFeet(64, 124);
const QPointF kNeck(64, 61);
const QPointF kRightShoulder(50, 68);  // the wizard's right, on the screen's left
const QPointF kLeftShoulder(78, 68);
constexpr double kUpperArm = 15;
constexpr double kForeArm = 13;

double radians(double degrees) { return degrees * kPi / 180.0; }

// Direction of an arm segment: 0 degrees hangs down, positive swings outwards.
// side is -1 for the arm on the screen's left, +1 for the one on the right.
QPointF direction(double degrees, int side)
{
    const double a = radians(degrees);
    return {side * std::sin(a), std::cos(a)};
}

struct ArmPoints {
    QPointF shoulder, elbow, wrist, hand;
    QPointF foreDirection;
};

ArmPoints armPoints(const Arm &arm, QPointF shoulder, int side)
{
    ArmPoints a;
    a.shoulder = shoulder;
    a.elbow = shoulder + direction(arm.upper, side) * kUpperArm;
    a.foreDirection = direction(arm.fore, side);
    a.wrist = a.elbow + a.foreDirection * kForeArm;
    a.hand = a.wrist + a.foreDirection * 3.5;
    return a;
}

QLinearGradient litFrom(const QRectF &r, const QColor &light, const QColor &base, const QColor &dark)
{
    // Light from the upper left, as on most desktops' icons.
    QLinearGradient g(r.topLeft() + QPointF(r.width() * 0.2, 0), r.bottomRight());
    g.setColorAt(0.0, light);
    g.setColorAt(0.45, base);
    g.setColorAt(1.0, dark);
    return g;
}

void outlined(QPainter &p, const QPainterPath &path, const QBrush &fill, double width = 1.3)
{
    p.setPen(QPen(kOutline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(path);
}

// A thick line with a dark rim: drawn twice, wide and dark, then narrower in colour.
void rimmedStroke(QPainter &p, const QPainterPath &path, const QColor &colour, double width)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kOutline, width + 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

QPainterPath starPath(QPointF centre, double outer, double inner, int points, double rotation = -90)
{
    QPainterPath path;
    for (int i = 0; i < points * 2; ++i) {
        const double r = (i % 2 == 0) ? outer : inner;
        const double a = radians(rotation + i * 180.0 / points);
        const QPointF pt = centre + QPointF(std::cos(a) * r, std::sin(a) * r);
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

QPainterPath ellipse(QPointF c, double rx, double ry)
{
    QPainterPath path;
    path.addEllipse(c, rx, ry);
    return path;
}

} // namespace

QImage FigurePainter::render(const Pose &pose) const
{
    return render(pose, QRectF(0, 0, kCanvasSize, kCanvasSize), kCanvasSize);
}

QImage FigurePainter::render(const Pose &pose, const QRectF &area, int size) const
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QTransform canvas
        = QTransform::fromScale(size / area.width(), size / area.height()).translate(-area.left(), -area.top());

    QTransform figure;
    figure.translate(pose.offsetX, pose.offsetY);
    // Leaning tips the robe onto one edge of its hem; lift the figure so that
    // edge stays on the ground instead of sinking below the canvas.
    figure.translate(0, -std::abs(std::sin(radians(pose.lean))) * 30);
    figure.translate(kFeet.x(), kFeet.y());
    figure.rotate(pose.lean);
    figure.scale(pose.scale * (1 + pose.squash * 0.12), pose.scale * (1 - pose.squash * 0.1));
    figure.translate(-kFeet.x(), -kFeet.y());
    p.setTransform(figure * canvas);

    if (pose.scale > 0.05) {
        drawStreaks(p, pose);
        drawFeet(p);
        drawRobe(p, pose);
        drawHead(p, pose);
        drawArm(p, pose.rightArm, kRightShoulder, -1);
        drawArm(p, pose.leftArm, kLeftShoulder, +1);
        drawWand(p, pose);
        drawHand(p, pose.rightArm, kRightShoulder, -1);
        drawHand(p, pose.leftArm, kLeftShoulder, +1);
        drawProp(p, pose);
        drawSign(p, pose);
    }
    drawSparkles(p, pose);
    p.setTransform(QTransform().translate(pose.offsetX, pose.offsetY) * canvas);
    drawPuff(p, pose.puff);
    return image;
}

void FigurePainter::drawStreaks(QPainter &p, const Pose &pose) const
{
    if (pose.streaks == 0)
        return;
    // Lines trail behind the figure, opposite to where it travels.
    const std::array<QPointF, 4> away{QPointF(1, 0), QPointF(-1, 0), QPointF(0, 1), QPointF(0, -1)};
    const QPointF back = away[std::size_t(std::clamp(pose.streaks, 1, 4) - 1)];
    const QPointF across(back.y(), back.x());
    // Sideways travel trails lines beside the robe; up and down travel, beside
    // the figure, clear of the hat and the hem.
    const bool vertical = pose.streaks >= 3;
    const std::array<double, 4> offsets = vertical ? std::array<double, 4>{-46, -36, 36, 46}
                                                   : std::array<double, 4>{-22, -8, 8, 22};
    const double reach = vertical ? 10 : 34;
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        const QPointF start = QPointF(64, 74) + back * (reach + (i % 2) * 6) + across * offsets[i];
        QPainterPath line(start);
        line.lineTo(start + back * (12 + (i % 2) * 5));
        rimmedStroke(p, line, kSmoke, 2.2);
    }
}

void FigurePainter::drawFeet(QPainter &p) const
{
    for (int side : {-1, +1}) {
        QPainterPath shoe;
        const double x = 64 + side * 10;
        shoe.moveTo(x - 6 * side, 119);
        shoe.quadTo(x + 2 * side, 117, x + 9 * side, 121);
        shoe.quadTo(x + 12 * side, 121, x + 11 * side, 118);
        shoe.quadTo(x + 12 * side, 125, x + 6 * side, 125.5);
        shoe.lineTo(x - 6 * side, 125.5);
        shoe.closeSubpath();
        outlined(p, shoe, litFrom(shoe.boundingRect(), kHatLight, kHat, kHatDark));
    }
}

void FigurePainter::drawRobe(QPainter &p, const Pose &pose) const
{
    QPainterPath robe;
    robe.moveTo(56, 60);
    robe.quadTo(48, 62, 45, 68);
    robe.cubicTo(40, 86, 34, 104, 30, 120);
    robe.quadTo(47, 125, 64, 123);
    robe.quadTo(81, 125, 98, 120);
    robe.cubicTo(94, 104, 88, 86, 83, 68);
    robe.quadTo(80, 62, 72, 60);
    robe.closeSubpath();

    QLinearGradient body(30, 0, 98, 0);
    body.setColorAt(0.0, kRobeDark);
    body.setColorAt(0.28, kRobeLight);
    body.setColorAt(0.55, kRobe);
    body.setColorAt(1.0, kRobeDark);
    outlined(p, robe, body);

    p.save();
    p.setClipPath(robe);
    // Folds falling from the chest to the hem.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kRobeDark, 1.4, Qt::SolidLine, Qt::RoundCap));
    for (double x : {46.0, 58.0, 72.0, 84.0}) {
        QPainterPath fold(QPointF(x + (x - 64) * 0.1, 88));
        fold.quadTo(x + (x - 64) * 0.3 + 2, 104, x + (x - 64) * 0.5, 122);
        p.drawPath(fold);
    }
    // A golden hem.
    QPainterPath hem;
    hem.moveTo(20, 115);
    hem.quadTo(47, 120, 64, 118);
    hem.quadTo(81, 120, 108, 115);
    hem.lineTo(108, 130);
    hem.lineTo(20, 130);
    hem.closeSubpath();
    outlined(p, hem, litFrom(QRectF(30, 114, 70, 12), kGoldLight, kGold, kGoldDark), 1.1);
    // Stars and a moon sewn onto the cloth.
    const std::array<QPointF, 4> stars{QPointF(40, 104), QPointF(86, 100), QPointF(52, 92), QPointF(78, 111)};
    for (std::size_t i = 0; i < stars.size(); ++i)
        outlined(p, starPath(stars[i], i % 2 ? 3.6 : 4.2, 1.7, 5), kGold, 0.9);
    QPainterPath moon = ellipse(QPointF(44, 82), 3.8, 3.8).subtracted(ellipse(QPointF(46, 80.5), 3.4, 3.4));
    outlined(p, moon, kGoldLight, 0.9);
    p.restore();
    Q_UNUSED(pose);
}

void FigurePainter::drawHead(QPainter &p, const Pose &pose) const
{
    p.save();
    p.translate(kNeck);
    p.rotate(pose.headTilt);
    p.translate(-kNeck);

    const double turn = std::clamp(pose.headTurn, -1.0, 1.0);
    const double nod = std::clamp(pose.headNod, -1.0, 1.0);
    const QPointF face(64 + turn * 1.5, 49 + nod * 1.0);

    // White hair puffing out under the hat.
    for (int side : {-1, +1}) {
        QPainterPath hair;
        const QPointF c(64 + side * 13.5 - turn * 1.5, 46);
        hair.addEllipse(c + QPointF(side * 1, -2), 5.5, 5.0);
        hair.addEllipse(c + QPointF(side * 1.5, 4), 5.0, 5.5);
        hair.setFillRule(Qt::WindingFill);
        outlined(p, hair.simplified(), litFrom(hair.boundingRect(), kBeard, kBeard, kBeardShade), 1.2);
    }
    // Ears peek out when the face turns away from them.
    for (int side : {-1, +1}) {
        if (side * turn > 0.5)
            continue;
        const QPointF c(64 + side * (12.5 - side * turn * 2), 50);
        outlined(p, ellipse(c, 3.0, 4.2), litFrom(QRectF(c.x() - 3, c.y() - 4, 6, 8), kSkin, kSkin, kSkinDark), 1.1);
    }

    QPainterPath head = ellipse(face, 12.5, 13.5);
    QRadialGradient skin(face + QPointF(-4, -5), 18);
    skin.setColorAt(0.0, kSkin.lighter(106));
    skin.setColorAt(0.6, kSkin);
    skin.setColorAt(1.0, kSkinDark);
    outlined(p, head, skin);

    const QPointF featureShift(turn * 4.5, nod * 3.0);
    const QPointF rightEye = QPointF(58.5, 48) + featureShift;
    const QPointF leftEye = QPointF(69.5, 48) + featureShift;
    // Rosy cheeks; stronger when blushing.
    p.setPen(Qt::NoPen);
    QColor cheek = kRosy;
    cheek.setAlphaF(pose.blush ? 0.95 : 0.55);
    p.setBrush(cheek);
    p.drawEllipse(rightEye + QPointF(-2.5, 6.5), 3.2, 2.2);
    p.drawEllipse(leftEye + QPointF(2.5, 6.5), 3.2, 2.2);

    drawEyes(p, pose, rightEye, leftEye);

    // The beard covers the jaw and falls over the chest.
    const QPointF b = QPointF(64, 0) + QPointF(turn * 3.0, 0);
    QPainterPath beard;
    beard.moveTo(b.x() - 12, 51);
    beard.cubicTo(b.x() - 19, 64, b.x() - 17, 76, b.x() - 12, 84);
    beard.quadTo(b.x() - 9, 92, b.x() - 3, 92);
    beard.quadTo(b.x() - 1, 98, b.x() + 1, 99);
    beard.quadTo(b.x() + 3, 95, b.x() + 4, 91);
    beard.quadTo(b.x() + 10, 91, b.x() + 12, 84);
    beard.cubicTo(b.x() + 17, 76, b.x() + 19, 64, b.x() + 12, 51);
    beard.quadTo(b.x() + 10, 60, b.x(), 60 + nod * 2);
    beard.quadTo(b.x() - 10, 60, b.x() - 12, 51);
    beard.closeSubpath();
    QLinearGradient beardShade(b.x() - 16, 52, b.x() + 16, 96);
    beardShade.setColorAt(0.0, kBeard);
    beardShade.setColorAt(0.55, kBeard);
    beardShade.setColorAt(1.0, kBeardShade);
    outlined(p, beard, beardShade);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kBeardShade, 1.1, Qt::SolidLine, Qt::RoundCap));
    for (double dx : {-8.0, -3.0, 3.0, 8.0}) {
        QPainterPath strand(QPointF(b.x() + dx, 70));
        strand.quadTo(b.x() + dx * 1.2 + 1.5, 78, b.x() + dx * 0.7, 87);
        p.drawPath(strand);
    }

    const QPointF mouthAt = QPointF(64, 62.5) + QPointF(turn * 4.0, nod * 2.5);
    drawMouth(p, pose.mouth, mouthAt);

    // Moustache: two curled lobes under the nose.
    const QPointF nose = QPointF(64, 53.5) + QPointF(turn * 5.5, nod * 3.0);
    QPainterPath moustache;
    for (int side : {-1, +1}) {
        QPainterPath lobe;
        lobe.moveTo(nose + QPointF(0, 2));
        lobe.cubicTo(nose + QPointF(side * 6, 0), nose + QPointF(side * 11, 2), nose + QPointF(side * 12, 6));
        lobe.quadTo(nose + QPointF(side * 9, 6.5), nose + QPointF(side * 7, 5.5));
        lobe.quadTo(nose + QPointF(side * 3, 7.0), nose + QPointF(0, 5.5));
        lobe.closeSubpath();
        moustache.addPath(lobe);
    }
    outlined(p, moustache, litFrom(moustache.boundingRect(), kBeard, kBeard, kBeardShade), 1.1);

    QRadialGradient noseShade(nose + QPointF(-1.2, -1.2), 4.5);
    noseShade.setColorAt(0.0, kRosy.lighter(125));
    noseShade.setColorAt(1.0, kRosy.darker(112));
    outlined(p, ellipse(nose, 3.4, 3.0), noseShade, 1.1);

    drawBrows(p, pose, rightEye, leftEye);

    if (pose.sign == Sign::Tear) {
        QPainterPath drop;
        const QPointF t = rightEye + QPointF(-1, 6 + pose.signPhase * 4);
        drop.moveTo(t + QPointF(0, -3.5));
        drop.cubicTo(t + QPointF(3, 0), t + QPointF(2.5, 3), t + QPointF(0, 3));
        drop.cubicTo(t + QPointF(-2.5, 3), t + QPointF(-3, 0), t + QPointF(0, -3.5));
        outlined(p, drop, kWater, 1.0);
    }

    drawHat(p, pose);

    if (pose.sign == Sign::Sweat) {
        QPainterPath drop;
        const QPointF t(80 + turn * 2, 44 + pose.signPhase * 3);
        drop.moveTo(t + QPointF(0, -4));
        drop.cubicTo(t + QPointF(3, 0), t + QPointF(2.5, 3), t + QPointF(0, 3));
        drop.cubicTo(t + QPointF(-2.5, 3), t + QPointF(-3, 0), t + QPointF(0, -4));
        outlined(p, drop, kWater, 1.0);
    }
    p.restore();
}

void FigurePainter::drawEyes(QPainter &p, const Pose &pose, QPointF right, QPointF left) const
{
    for (const QPointF c : {right, left}) {
        if (pose.eyes == Eyes::Happy || pose.eyes == Eyes::Closed) {
            QPainterPath arc;
            if (pose.eyes == Eyes::Happy) {
                arc.moveTo(c + QPointF(-3.2, 1.2));
                arc.quadTo(c + QPointF(0, -3.5), c + QPointF(3.2, 1.2));
            } else {
                arc.moveTo(c + QPointF(-3.2, 0));
                arc.quadTo(c + QPointF(0, 3.0), c + QPointF(3.2, 0));
            }
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(kOutline, 1.6, Qt::SolidLine, Qt::RoundCap));
            p.drawPath(arc);
            continue;
        }
        const bool wide = pose.eyes == Eyes::Wide;
        const double rx = wide ? 4.2 : 3.6;
        const double ry = wide ? 5.2 : 4.4;
        QPainterPath white = ellipse(c, rx, ry);
        outlined(p, white, QColor(255, 255, 255), 1.1);
        p.save();
        p.setClipPath(white);
        const QPointF iris = c + QPointF(std::clamp(pose.lookX, -1.0, 1.0) * 1.7,
                                         std::clamp(pose.lookY, -1.0, 1.0) * 1.9 + 0.4);
        p.setPen(Qt::NoPen);
        p.setBrush(kIris);
        p.drawEllipse(iris, 2.5, 2.7);
        p.setBrush(kPupil);
        p.drawEllipse(iris, 1.4, 1.6);
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(iris + QPointF(-0.9, -1.0), 0.8, 0.8);
        const double lid = std::clamp(pose.eyelid, 0.0, 1.0);
        if (lid > 0) {
            const double edge = c.y() - ry + lid * 2 * ry;
            QPainterPath lidShape;
            lidShape.addRect(QRectF(c.x() - rx - 1, c.y() - ry - 1, 2 * rx + 2, edge - (c.y() - ry) + 1));
            p.setBrush(kSkinDark);
            p.drawPath(lidShape);
            p.setPen(QPen(kOutline, 1.2));
            p.drawLine(QPointF(c.x() - rx, edge), QPointF(c.x() + rx, edge));
        }
        p.restore();
    }
}

void FigurePainter::drawBrows(QPainter &p, const Pose &pose, QPointF right, QPointF left) const
{
    const double lift = -pose.brows * 2.2;
    for (int side : {-1, +1}) {
        const QPointF eye = side < 0 ? right : left;
        // Inner end towards the nose; frowning lowers it, worry raises it.
        double inner = lift + (pose.brows < 0 ? -pose.brows * 2.0 : 0) - (pose.worried ? 2.5 : 0);
        double outer = lift - (pose.worried ? -1.0 : 0);
        QPainterPath brow(eye + QPointF(-side * 3.5, -6.5 + inner));
        brow.quadTo(eye + QPointF(0, -9 + (inner + outer) / 2), eye + QPointF(side * 4.5, -6.5 + outer));
        rimmedStroke(p, brow, kBeard, 2.4);
    }
}

void FigurePainter::drawMouth(QPainter &p, Mouth mouth, QPointF at) const
{
    auto openMouth = [&](double rx, double ry, bool teeth) {
        QPainterPath m = ellipse(at + QPointF(0, ry * 0.35), rx, ry);
        outlined(p, m, kMouthInside, 1.1);
        p.save();
        p.setClipPath(m);
        p.setPen(Qt::NoPen);
        p.setBrush(kTongue);
        p.drawEllipse(at + QPointF(0, ry * 1.25), rx * 0.8, ry * 0.6);
        if (teeth) {
            p.setBrush(QColor(255, 255, 255));
            p.drawRect(QRectF(at.x() - rx, at.y() + ry * 0.35 - ry - 1, 2 * rx, 2.2));
        }
        p.restore();
    };
    auto line = [&](double halfWidth, double bend) {
        QPainterPath l(at + QPointF(-halfWidth, 0));
        l.quadTo(at + QPointF(0, bend), at + QPointF(halfWidth, 0));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kMouthInside, 1.7, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(l);
    };

    switch (mouth) {
    case Mouth::Closed: line(3.8, 1.4); break;
    case Mouth::Wide1: openMouth(4.2, 1.6, false); break;
    case Mouth::Wide2: openMouth(4.5, 2.5, false); break;
    case Mouth::Wide3: openMouth(4.8, 3.4, true); break;
    case Mouth::Wide4: openMouth(5.0, 4.3, true); break;
    case Mouth::Medium: openMouth(3.4, 2.4, false); break;
    case Mouth::Narrow: openMouth(2.0, 2.6, false); break;
    case Mouth::Smile: line(5.0, 3.0); break;
    case Mouth::Grin: {
        QPainterPath m(at + QPointF(-5.5, -0.5));
        m.quadTo(at + QPointF(0, 1), at + QPointF(5.5, -0.5));
        m.quadTo(at + QPointF(0, 9), at + QPointF(-5.5, -0.5));
        outlined(p, m, kMouthInside, 1.1);
        p.save();
        p.setClipPath(m);
        p.setPen(Qt::NoPen);
        p.setBrush(kTongue);
        p.drawEllipse(at + QPointF(0, 5.5), 3.5, 2.5);
        p.restore();
        break;
    }
    case Mouth::Frown: line(4.0, -2.6); break;
    case Mouth::Oh: openMouth(2.4, 3.0, false); break;
    case Mouth::Flat: line(3.5, 0.0); break;
    }
}

void FigurePainter::drawHat(QPainter &p, const Pose &pose) const
{
    p.save();
    const QPointF brimCentre(64, 36);
    p.translate(brimCentre);
    p.rotate(pose.hatTilt);
    p.translate(-brimCentre);

    QPainterPath cone;
    cone.moveTo(47, 36);
    cone.cubicTo(52, 27, 58, 15, 70, 10);
    cone.quadTo(78, 6, 86, 11);     // the tip flops over to the side
    cone.quadTo(80, 10, 75, 15);
    cone.cubicTo(77, 20, 79, 28, 81, 36);
    cone.closeSubpath();
    QLinearGradient hatShade(46, 0, 84, 0);
    hatShade.setColorAt(0.0, kHatDark);
    hatShade.setColorAt(0.3, kHatLight);
    hatShade.setColorAt(0.6, kHat);
    hatShade.setColorAt(1.0, kHatDark);
    outlined(p, cone, hatShade);

    p.save();
    p.setClipPath(cone);
    QPainterPath band;
    band.moveTo(40, 29);
    band.quadTo(64, 33, 90, 29);
    band.lineTo(90, 40);
    band.lineTo(40, 40);
    band.closeSubpath();
    outlined(p, band, litFrom(QRectF(46, 29, 36, 8), kGoldLight, kGold, kGoldDark), 1.1);
    p.restore();

    outlined(p, starPath(QPointF(62, 24), 4.0, 1.7, 5, -80), kGoldLight, 0.9);
    outlined(p, starPath(QPointF(70, 17), 2.4, 1.0, 5, -100), kGold, 0.8);
    QPainterPath moon = ellipse(QPointF(73, 25), 3.0, 3.0).subtracted(ellipse(QPointF(74.6, 23.8), 2.6, 2.6));
    outlined(p, moon, kGoldLight, 0.8);
    outlined(p, starPath(QPointF(86.5, 12), 2.6, 1.2, 5), kGold, 0.9);

    QPainterPath brim;
    brim.moveTo(38, 37);
    brim.quadTo(64, 30, 90, 37);
    brim.quadTo(91, 41.5, 85, 41.5);
    brim.quadTo(64, 38.5, 43, 41.5);
    brim.quadTo(37, 41.5, 38, 37);
    brim.closeSubpath();
    QLinearGradient brimShade(38, 32, 90, 42);
    brimShade.setColorAt(0.0, kHatLight);
    brimShade.setColorAt(0.5, kHat);
    brimShade.setColorAt(1.0, kHatDark);
    outlined(p, brim, brimShade);
    p.restore();
}

void FigurePainter::drawArm(QPainter &p, const Arm &arm, QPointF shoulder, int side) const
{
    const ArmPoints a = armPoints(arm, shoulder, side);
    auto normal = [](QPointF d) { return QPointF(-d.y(), d.x()); };
    const QPointF upperDir = (a.elbow - a.shoulder) / kUpperArm;
    const QPointF nUpper = normal(upperDir);
    const QPointF nFore = normal(a.foreDirection);

    // A wide sleeve: narrow at the shoulder, flaring towards the cuff. The pieces
    // are outlined first and filled second, so only the outer edge shows a line.
    QPainterPath upper;
    upper.moveTo(a.shoulder + nUpper * 5);
    upper.lineTo(a.elbow + nUpper * 5);
    upper.lineTo(a.elbow - nUpper * 5);
    upper.lineTo(a.shoulder - nUpper * 5);
    upper.closeSubpath();
    QPainterPath fore;
    fore.moveTo(a.elbow + nFore * 5);
    fore.lineTo(a.wrist + nFore * 7.5);
    fore.lineTo(a.wrist - nFore * 7.5);
    fore.lineTo(a.elbow - nFore * 5);
    fore.closeSubpath();
    const std::array<QPainterPath, 4> pieces{upper, fore, ellipse(a.elbow, 5, 5), ellipse(a.shoulder, 5.5, 5.5)};
    QRectF bounds;
    for (const QPainterPath &piece : pieces)
        bounds = bounds.united(piece.boundingRect());
    const QLinearGradient cloth = litFrom(bounds, kRobeLight, kRobe, kRobeDark);
    for (const QPainterPath &piece : pieces)
        outlined(p, piece, cloth, 2.6);
    p.setPen(Qt::NoPen);
    for (const QPainterPath &piece : pieces)
        p.drawPath(piece);

    QPainterPath cuff;
    cuff.moveTo(a.wrist + nFore * 7.8 - a.foreDirection * 1.2);
    cuff.lineTo(a.wrist + nFore * 7.8 + a.foreDirection * 1.4);
    cuff.lineTo(a.wrist - nFore * 7.8 + a.foreDirection * 1.4);
    cuff.lineTo(a.wrist - nFore * 7.8 - a.foreDirection * 1.2);
    cuff.closeSubpath();
    outlined(p, cuff, kGold, 1.0);
}

void FigurePainter::drawHand(QPainter &p, const Arm &arm, QPointF shoulder, int side) const
{
    const ArmPoints a = armPoints(arm, shoulder, side);
    QRadialGradient skin(a.hand + QPointF(-1.5, -1.5), 5.5);
    skin.setColorAt(0.0, kSkin.lighter(106));
    skin.setColorAt(1.0, kSkinDark);
    outlined(p, ellipse(a.hand, 4.3, 4.3), skin, 1.2);
}

void FigurePainter::drawWand(QPainter &p, const Pose &pose) const
{
    if (!pose.wand)
        return;
    const ArmPoints a = armPoints(pose.rightArm, kRightShoulder, -1);
    const QPointF dir = direction(pose.wandAngle, -1);
    const QPointF butt = a.hand - dir * 4;
    const QPointF tip = a.hand + dir * 24;
    QPainterPath stick(butt);
    stick.lineTo(tip);
    rimmedStroke(p, stick, kWood, 2.4);
    p.setPen(QPen(kWoodLight, 0.9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(butt + QPointF(-0.5, -0.5), tip + QPointF(-0.5, -0.5));

    const double glow = std::clamp(pose.wandGlow, 0.0, 1.0);
    if (glow > 0) {
        // Solid rays rather than a soft halo: a halo would fray against the transparency.
        outlined(p, starPath(tip, 6 + glow * 4, 2.8, 4, -90 + (pose.sparklePhase % 2) * 45), kGoldLight, 1.0);
    }
    outlined(p, starPath(tip, 4.6, 2.0, 5), litFrom(QRectF(tip.x() - 5, tip.y() - 5, 10, 10), kGoldLight, kGold, kGoldDark), 1.0);
}

void FigurePainter::drawProp(QPainter &p, const Pose &pose) const
{
    const ArmPoints right = armPoints(pose.rightArm, kRightShoulder, -1);
    const ArmPoints left = armPoints(pose.leftArm, kLeftShoulder, +1);
    switch (pose.prop) {
    case Prop::None:
        break;
    case Prop::Book: {
        const QPointF c = (right.hand + left.hand) / 2 + QPointF(0, -5);
        QPainterPath cover;
        cover.addRoundedRect(QRectF(c.x() - 17, c.y() - 9, 34, 19), 2, 2);
        outlined(p, cover, litFrom(cover.boundingRect(), kCover.lighter(130), kCover, kCover.darker(150)));
        for (int side : {-1, +1}) {
            QPainterPath page;
            page.moveTo(c + QPointF(0, -6));
            page.quadTo(c + QPointF(side * 8, -10), c + QPointF(side * 15.5, -7.5));
            page.lineTo(c + QPointF(side * 15.5, 7.5));
            page.quadTo(c + QPointF(side * 8, 5), c + QPointF(0, 8));
            page.closeSubpath();
            outlined(p, page, kPaper, 1.0);
            p.setPen(QPen(kInk, 0.9));
            for (int row = 0; row < 4; ++row) {
                const double y = c.y() - 3.5 + row * 3;
                p.drawLine(QPointF(c.x() + side * 3, y), QPointF(c.x() + side * 12.5, y + (side > 0 ? 0 : 0)));
            }
        }
        if (pose.propPhase > 0) {
            // A page being turned, lifted over the spine.
            const double t = std::clamp(pose.propPhase, 0.0, 1.0);
            const double tipX = 15 * std::cos(t * kPi);
            QPainterPath turning;
            turning.moveTo(c + QPointF(0, -6));
            turning.quadTo(c + QPointF(tipX * 0.5, -14 - 6 * std::sin(t * kPi)), c + QPointF(tipX, -8 - 6 * std::sin(t * kPi)));
            turning.lineTo(c + QPointF(tipX, 6 - 6 * std::sin(t * kPi)));
            turning.quadTo(c + QPointF(tipX * 0.5, 2), c + QPointF(0, 8));
            turning.closeSubpath();
            outlined(p, turning, kPaper.darker(104), 1.0);
        }
        // Thumbs over the pages so the book is clearly held.
        outlined(p, ellipse(right.hand + QPointF(2, -3), 2.6, 2.6), kSkin, 1.0);
        outlined(p, ellipse(left.hand + QPointF(-2, -3), 2.6, 2.6), kSkin, 1.0);
        break;
    }
    case Prop::Scroll: {
        const QPointF c = (right.hand + left.hand) / 2 + QPointF(0, 2);
        QPainterPath sheet;
        sheet.addRect(QRectF(c.x() - 14, c.y() - 14, 28, 24));
        outlined(p, sheet, litFrom(sheet.boundingRect(), kPaper, kPaper, kPaper.darker(115)), 1.0);
        p.setPen(QPen(kInk, 0.9));
        for (int row = 0; row < 5; ++row)
            p.drawLine(QPointF(c.x() - 10, c.y() - 10 + row * 4), QPointF(c.x() + (row % 2 ? 6 : 10), c.y() - 10 + row * 4));
        for (double y : {c.y() - 15, c.y() + 11}) {
            QPainterPath roll;
            roll.addRoundedRect(QRectF(c.x() - 16, y - 2.2, 32, 4.4), 2.2, 2.2);
            outlined(p, roll, litFrom(roll.boundingRect(), kWoodLight, kWood, kWood.darker(140)), 1.0);
        }
        break;
    }
    case Prop::Quill: {
        // A small parchment in the left hand, the quill in the right.
        const QPointF sheetAt = left.hand + QPointF(-6, -12);
        QPainterPath sheet;
        sheet.moveTo(sheetAt + QPointF(-9, -9));
        sheet.lineTo(sheetAt + QPointF(9, -10));
        sheet.lineTo(sheetAt + QPointF(10, 9));
        sheet.lineTo(sheetAt + QPointF(-8, 10));
        sheet.closeSubpath();
        outlined(p, sheet, kPaper, 1.0);
        p.setPen(QPen(kInk, 0.9));
        const int rows = 1 + int(std::clamp(pose.propPhase, 0.0, 1.0) * 3.99);
        for (int row = 0; row < rows; ++row)
            p.drawLine(sheetAt + QPointF(-6, -5 + row * 4), sheetAt + QPointF(row == rows - 1 ? 1 : 6, -5 + row * 4));
        outlined(p, ellipse(left.hand, 4.3, 4.3), kSkin, 1.2);
        const QPointF nib = right.hand + QPointF(5, -3);
        QPainterPath feather;
        feather.moveTo(nib);
        feather.quadTo(nib + QPointF(-6, -10), nib + QPointF(-6, -22));
        feather.quadTo(nib + QPointF(0, -14), nib);
        feather.closeSubpath();
        outlined(p, feather, litFrom(feather.boundingRect(), kBeard, kBeard, kBeardShade), 1.0);
        break;
    }
    case Prop::Magnifier: {
        const QPointF glass = left.hand + QPointF(-5, -11);
        QPainterPath handle(left.hand + QPointF(1, 1));
        handle.lineTo(glass + QPointF(2.5, 5.5));
        rimmedStroke(p, handle, kWood, 2.6);
        outlined(p, ellipse(glass, 7.5, 7.5), kGold, 1.2);
        QRadialGradient lens(glass + QPointF(-2, -2), 7);
        lens.setColorAt(0.0, QColor(255, 255, 255));
        lens.setColorAt(1.0, kGlass);
        outlined(p, ellipse(glass, 5.5, 5.5), lens, 1.0);
        outlined(p, ellipse(left.hand, 4.3, 4.3), kSkin, 1.2);
        break;
    }
    }
}

void FigurePainter::drawSign(QPainter &p, const Pose &pose) const
{
    const QPointF at = QPointF(100, 25) + QPointF(0, -std::sin(pose.signPhase * kPi) * 2);
    switch (pose.sign) {
    case Sign::None:
    case Sign::Tear:
    case Sign::Sweat:
        break;
    case Sign::Question: {
        QPainterPath hook(at + QPointF(-5, -4));
        hook.cubicTo(at + QPointF(-5, -12), at + QPointF(6, -12), at + QPointF(5, -5));
        hook.cubicTo(at + QPointF(4, -1), at + QPointF(0, 0), at + QPointF(0, 5));
        rimmedStroke(p, hook, kGold, 3.2);
        outlined(p, ellipse(at + QPointF(0, 11), 2.2, 2.2), kGold, 1.2);
        break;
    }
    case Sign::Exclamation: {
        QPainterPath bar(at + QPointF(0, -12));
        bar.lineTo(at + QPointF(0, 4));
        rimmedStroke(p, bar, kHeart, 3.6);
        outlined(p, ellipse(at + QPointF(0, 10.5), 2.4, 2.4), kHeart, 1.2);
        break;
    }
    case Sign::Idea: {
        for (int i = 0; i < 5; ++i) {
            const double a = radians(-160 + i * 35);
            QPainterPath ray(at + QPointF(std::cos(a), std::sin(a)) * 10);
            ray.lineTo(at + QPointF(std::cos(a), std::sin(a)) * 14);
            rimmedStroke(p, ray, kGoldLight, 1.6);
        }
        QRadialGradient bulb(at + QPointF(-2, -2), 9);
        bulb.setColorAt(0.0, QColor(255, 255, 230));
        bulb.setColorAt(1.0, kGold);
        outlined(p, ellipse(at, 7, 7.5), bulb);
        QPainterPath base;
        base.addRoundedRect(QRectF(at.x() - 3.5, at.y() + 6, 7, 5), 1.5, 1.5);
        outlined(p, base, kBeardShade, 1.1);
        break;
    }
    case Sign::ThoughtDots:
        outlined(p, ellipse(QPointF(84, 30), 2.0, 2.0), kBeard, 1.0);
        outlined(p, ellipse(QPointF(91, 22), 3.0, 3.0), kBeard, 1.0);
        outlined(p, ellipse(QPointF(101, 12) + QPointF(0, -std::sin(pose.signPhase * kPi)), 5.5, 4.5), kBeard, 1.0);
        break;
    case Sign::Sleep: {
        auto zed = [&](QPointF c, double s) {
            QPainterPath z(c + QPointF(-s, -s));
            z.lineTo(c + QPointF(s, -s));
            z.lineTo(c + QPointF(-s, s));
            z.lineTo(c + QPointF(s, s));
            rimmedStroke(p, z, kGlass, 1.8);
        };
        const double rise = pose.signPhase * 4;
        zed(QPointF(94, 28 - rise), 3.0);
        zed(QPointF(104, 16 - rise), 4.5);
        break;
    }
    case Sign::Heart: {
        QPainterPath heart;
        heart.moveTo(at + QPointF(0, 8));
        heart.cubicTo(at + QPointF(-10, 0), at + QPointF(-6, -9), at + QPointF(0, -4));
        heart.cubicTo(at + QPointF(6, -9), at + QPointF(10, 0), at + QPointF(0, 8));
        outlined(p, heart, litFrom(heart.boundingRect(), kHeart.lighter(140), kHeart, kHeart.darker(140)));
        break;
    }
    case Sign::Music: {
        QPainterPath stem(at + QPointF(2, 6));
        stem.lineTo(at + QPointF(2, -8));
        stem.lineTo(at + QPointF(8, -6));
        rimmedStroke(p, stem, kGoldLight, 1.6);
        outlined(p, ellipse(at + QPointF(-0.5, 7), 3.0, 2.3), kGoldLight, 1.1);
        break;
    }
    }
}

void FigurePainter::drawSparkles(QPainter &p, const Pose &pose) const
{
    if (pose.sparkles <= 0)
        return;
    // Fixed spots around the figure; the phase rotates which ones are lit so
    // successive frames twinkle.
    static const std::array<QPointF, 12> spots{
        QPointF(18, 30), QPointF(106, 44), QPointF(24, 70), QPointF(110, 86), QPointF(40, 14),
        QPointF(96, 8),  QPointF(14, 104), QPointF(112, 112), QPointF(30, 50), QPointF(100, 64),
        QPointF(20, 12), QPointF(112, 26)};
    for (int i = 0; i < pose.sparkles; ++i) {
        const std::size_t k = std::size_t((i * 5 + pose.sparklePhase * 7) % int(spots.size()));
        const double size = 3.0 + ((i + pose.sparklePhase) % 3) * 1.2;
        outlined(p, starPath(spots[k], size, size * 0.35, 4, -90 + (i % 2) * 45),
                 (i % 3 == 0) ? kGold : ((i % 3 == 1) ? kGoldLight : kGlass), 0.9);
    }
}

void FigurePainter::drawPuff(QPainter &p, double amount) const
{
    const double a = std::clamp(amount, 0.0, 1.0);
    if (a <= 0)
        return;
    QPainterPath cloud;
    cloud.setFillRule(Qt::WindingFill);
    const std::array<QPointF, 7> centres{QPointF(64, 112), QPointF(46, 108), QPointF(82, 108), QPointF(56, 96),
                                         QPointF(74, 96), QPointF(36, 116), QPointF(92, 116)};
    const std::array<double, 7> radii{14, 11, 11, 10, 10, 8, 8};
    for (std::size_t i = 0; i < centres.size(); ++i) {
        const QPointF c = QPointF(64, 118) + (centres[i] - QPointF(64, 118)) * (0.4 + a * 0.8);
        cloud.addEllipse(c, radii[i] * a + 1, radii[i] * a + 1);
    }
    const QPainterPath shape = cloud.simplified();
    QLinearGradient smoke(0, 80, 0, 126);
    smoke.setColorAt(0.0, QColor(240, 236, 252));
    smoke.setColorAt(0.6, kSmoke);
    smoke.setColorAt(1.0, kSmokeDark);
    outlined(p, shape, smoke);
}

QImage FigurePainter::renderIcon(int size) const
{
    // The head and hat fill the icon; smaller parts would be lost at 16 pixels.
    const QRectF face(31, 3, 66, 66);
    // Drawn four times as large and scaled down, so that the thin outlines of
    // the figure keep their weight at every size instead of fading to a blur.
    constexpr int oversampling = 4;
    return render(Pose{}, face, size * oversampling)
        .scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace tilvano::merlin
