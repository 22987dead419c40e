#pragma once

#include "BalloonPlacement.h"

#include "platform/acs/AcsModel.h"

#include <QFont>
#include <QWidget>

namespace tilvano::agent {

// A speech or thought balloon beside the character, in the character's balloon colours and
// font. Its size fits the whole sentence from the start; the text then appears word by word.
class Balloon : public QWidget
{
    Q_OBJECT

public:
    enum class Kind { Speech, Thought };

    explicit Balloon(QWidget *parent = nullptr);

    void setLook(const acs::BalloonInfo &look, const QFont &font);
    // Sizes the balloon for `text` and shows none of it yet.
    void setSentence(Kind kind, const QString &text);
    void revealUpTo(qsizetype length);
    // Places the balloon beside the character's rectangle, on the screens.
    void placeBeside(const QRect &character);

    QString shownText() const { return m_text.left(m_revealed); }
    const QString &fullText() const { return m_text; }
    Kind kind() const { return m_kind; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect textArea() const;

    acs::BalloonInfo m_look;
    QFont m_font;
    Kind m_kind = Kind::Speech;
    QString m_text;
    qsizetype m_revealed = 0;
    QSize m_bubbleSize;
    QSize m_textSize; // the laid-out text, inside the bubble
    BalloonPlacement m_placement;
    // Where the window was put, on the screen. Painting works from this, not from
    // geometry(): under a window manager that frames windows (openbox) geometry()
    // may still name another place when the balloon paints, and the bubble was
    // drawn shifted by that much, cut off at the window's right and bottom edges.
    QPoint m_windowOrigin;
};

} // namespace tilvano::agent
