#include "CharacterWindow.h"

#include <QApplication>
#include <QBitmap>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

namespace tilvano::agent {

CharacterWindow::CharacterWindow(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_NoSystemBackground);
}

void CharacterWindow::setFrame(const QImage &frame)
{
    m_frame = frame;
    rescale();
}

void CharacterWindow::rescale()
{
    if (m_frame.isNull() || width() <= 0 || height() <= 0) {
        m_scaled = QImage();
        return;
    }
    m_scaled = m_frame.size() == size() ? m_frame : m_frame.scaled(size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    update();
    // Platforms without windows on a screen have no use for a shape (and complain about one).
    static const bool shaped = !QGuiApplication::platformName().startsWith(QLatin1String("offscreen"))
                               && QGuiApplication::platformName() != QLatin1String("minimal");
    if (!shaped)
        return;
    QRegion shape(QBitmap::fromImage(m_scaled.createAlphaMask()));
    // An empty mask would mean "no mask" (the whole rectangle); a blank frame takes no clicks.
    if (shape.isEmpty())
        shape = QRegion(0, 0, 1, 1);
    if (shape != m_shape) {
        m_shape = shape;
        setMask(shape);
    }
}

void CharacterWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    if (!m_scaled.isNull())
        painter.drawImage(0, 0, m_scaled);
}

void CharacterWindow::resizeEvent(QResizeEvent *) { rescale(); }

void CharacterWindow::mousePressEvent(QMouseEvent *event)
{
    const QPoint global = event->globalPosition().toPoint();
    if (event->button() == Qt::LeftButton) {
        m_leftDown = true;
        m_dragging = false;
        m_pressOffset = event->position().toPoint();
        m_pressGlobal = global;
        return; // a click or the start of a drag: decided on release
    }
    emit clicked(event->button(), event->modifiers(), global);
    if (event->button() == Qt::RightButton)
        emit menuRequested(global);
}

void CharacterWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_leftDown)
        return;
    const QPoint global = event->globalPosition().toPoint();
    if (!m_dragging && (global - m_pressGlobal).manhattanLength() < QApplication::startDragDistance())
        return;
    m_dragging = true;
    emit dragged(global - m_pressOffset);
}

void CharacterWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_leftDown)
        return;
    m_leftDown = false;
    const QPoint global = event->globalPosition().toPoint();
    if (m_dragging) {
        m_dragging = false;
        emit dragFinished(global - m_pressOffset);
        return;
    }
    emit clicked(Qt::LeftButton, event->modifiers(), global);
}

void CharacterWindow::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_leftDown = false;
    emit doubleClicked(event->button(), event->modifiers(), event->globalPosition().toPoint());
}

} // namespace tilvano::agent
