#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QWidget>

namespace tilvano::agent {

// The character on the desktop: a frameless, translucent, always-on-top window shaped to the
// opaque pixels of the frame shown, so clicks beside the figure reach whatever is below.
// It reports mouse use in screen coordinates and leaves what it means to its owner.
class CharacterWindow : public QWidget
{
    Q_OBJECT

public:
    explicit CharacterWindow(QWidget *parent = nullptr);

    // Shows the frame stretched to the window's size.
    void setFrame(const QImage &frame);
    const QImage &shownImage() const { return m_scaled; }

signals:
    void clicked(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint globalPosition);
    void doubleClicked(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint globalPosition);
    void dragged(QPoint topLeft);          // while the user drags the character
    void dragFinished(QPoint topLeft);
    void menuRequested(QPoint globalPosition);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void rescale();

    QImage m_frame;
    QImage m_scaled;
    QRegion m_shape;
    QPoint m_pressOffset;   // where in the window the left button went down
    QPoint m_pressGlobal;
    bool m_leftDown = false;
    bool m_dragging = false;
};

} // namespace tilvano::agent
