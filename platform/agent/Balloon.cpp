#include "Balloon.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace tilvano::agent {

namespace {
constexpr int Padding = 8;
constexpr int TailLength = 14;
} // namespace

Balloon::Balloon(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Balloon::setLook(const acs::BalloonInfo &look, const QFont &font)
{
    m_look = look;
    m_font = font;
    update();
}

void Balloon::setSentence(Kind kind, const QString &text)
{
    m_kind = kind;
    m_text = text;
    m_revealed = 0;
    const QFontMetrics metrics(m_font);
    const int charsPerLine = std::max<int>(m_look.charsPerLine, 8);
    const int lineWidth = metrics.averageCharWidth() * charsPerLine;
    const QRect needed = metrics.boundingRect(QRect(0, 0, lineWidth, 100000), Qt::TextWordWrap, text);
    const int lines = std::max<int>(m_look.lines, 1);
    const int height = std::max(needed.height(), metrics.lineSpacing() * lines);
    m_textSize = QSize(lineWidth, height);
    if (kind == Kind::Thought) {
        // An ellipse holds a rectangle only when it is sqrt(2) times as wide and
        // as high; with less, the corners of the text run over its border.
        constexpr double Sqrt2 = 1.41421356;
        m_bubbleSize = QSize(int(std::ceil(lineWidth * Sqrt2)) + 2 * Padding,
                             int(std::ceil(height * Sqrt2)) + 2 * Padding);
    } else {
        m_bubbleSize = QSize(lineWidth + 2 * Padding, height + 2 * Padding);
    }
    update();
}

void Balloon::revealUpTo(qsizetype length)
{
    m_revealed = std::clamp<qsizetype>(length, 0, m_text.size());
    update();
}

void Balloon::placeBeside(const QRect &character)
{
    // Flipping and shifting happen at the edges of the screen the character stands on.
    const QList<QRect> screens = screenGeometries();
    const QRect screen = screens.isEmpty() ? QRect() : screenNear(character.center(), screens);
    m_placement = placeBalloon(character, m_bubbleSize, screen, TailLength);
    // The window holds the bubble and the tail on the character's side.
    QRect window = m_placement.rect;
    if (m_placement.belowCharacter)
        window.setTop(window.top() - TailLength);
    else
        window.setBottom(window.bottom() + TailLength);
    m_windowOrigin = window.topLeft();
    setGeometry(window);
}

QRect Balloon::textArea() const
{
    const QRect bubble(m_placement.rect.topLeft() - m_windowOrigin, m_bubbleSize);
    QRect text(QPoint(), m_textSize);
    text.moveCenter(bubble.center());
    return text;
}

void Balloon::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect bubble(m_placement.rect.topLeft() - m_windowOrigin, m_bubbleSize);
    const QPoint tip = m_placement.tailTip - m_windowOrigin;
    const int edgeY = m_placement.belowCharacter ? bubble.top() : bubble.bottom();
    const int baseX = std::clamp(tip.x(), bubble.left() + 14, std::max(bubble.left() + 14, bubble.right() - 14));

    painter.setPen(QPen(QColor(m_look.borderColor), 1));
    painter.setBrush(QColor(m_look.backgroundColor));
    QPainterPath shape;
    if (m_kind == Kind::Speech) {
        shape.addRoundedRect(QRectF(bubble).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
        QPolygonF tail;
        tail << QPointF(baseX - 7, edgeY) << QPointF(tip) << QPointF(baseX + 7, edgeY);
        QPainterPath tailPath;
        tailPath.addPolygon(tail);
        tailPath.closeSubpath();
        shape = shape.united(tailPath);
        painter.drawPath(shape);
    } else {
        shape.addEllipse(QRectF(bubble).adjusted(0.5, 0.5, -0.5, -0.5));
        painter.drawPath(shape);
        // Thought bubbles trail off in small circles towards the character.
        const QPointF from(baseX, edgeY);
        for (int i = 1; i <= 2; ++i) {
            const QPointF centre = from + (QPointF(tip) - from) * (i / 3.0);
            const qreal radius = 5.0 - i * 1.5;
            painter.drawEllipse(centre, radius, radius);
        }
    }
    painter.setPen(QColor(m_look.textColor));
    painter.setFont(m_font);
    painter.drawText(textArea(), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, shownText());
}

} // namespace tilvano::agent
