#include "support/TextFit.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace tilvano::test {

namespace {

// The text as drawn: a single "&" marks the access key and is not shown.
QString shownText(const QString &text)
{
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        shown.append(text[i]);
    }
    return shown;
}

struct Room {
    QString text;
    int available = -1; // -1: not a text control this check looks at
    int availableHeight = -1; // for text that wraps: the height there is
};

Room roomOf(const QWidget &control)
{
    if (const auto *label = qobject_cast<const QLabel *>(&control)) {
        if (label->text().isEmpty() || Qt::mightBeRichText(label->text()))
            return {};
        const int indent = label->indent() > 0 ? label->indent() : 0;
        const QString text = QString(label->buddy() ? shownText(label->text()) : label->text()).remove(u'\r');
        const QRect inside = label->contentsRect().adjusted(label->margin() + indent, label->margin(),
                                                            -label->margin(), -label->margin());
        return {text, inside.width(), label->wordWrap() ? inside.height() : -1};
    }
    const auto *button = qobject_cast<const QAbstractButton *>(&control);
    if (!button || button->text().isEmpty())
        return {};
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QStyle *look = button->style();
    if (qobject_cast<const QCheckBox *>(button))
        return {shownText(button->text()), look->subElementRect(QStyle::SE_CheckBoxContents, &option, button).width()};
    if (qobject_cast<const QRadioButton *>(button))
        return {shownText(button->text()), look->subElementRect(QStyle::SE_RadioButtonContents, &option, button).width()};
    if (qobject_cast<const QPushButton *>(button))
        return {shownText(button->text()), look->subElementRect(QStyle::SE_PushButtonContents, &option, button).width()};
    return {}; // tool buttons here show icons, their text is a tool tip
}

} // namespace

QStringList cutTexts(const QWidget &root)
{
    QStringList cut;
    for (const QWidget *control : root.findChildren<QWidget *>()) {
        if (!control->isVisibleTo(&root))
            continue;
        const Room room = roomOf(*control);
        if (room.available < 0)
            continue;
        const QFontMetrics metrics = control->fontMetrics();
        // Lines break at line ends, and at blanks where the text wraps: no
        // word, or line, may be wider than the room.
        int needed = 0;
        for (const QString &line : room.text.split(u'\n')) {
            for (const QString &part : room.availableHeight < 0 ? QStringList{line} : line.split(u' '))
                needed = std::max(needed, metrics.horizontalAdvance(part));
        }
        if (needed > room.available)
            cut << QStringLiteral("%1 \u201e%2\u201c needs %3 px, has %4")
                       .arg(control->objectName(), room.text)
                       .arg(needed)
                       .arg(room.available);
        if (room.availableHeight >= 0) {
            const int high = metrics.boundingRect(QRect(0, 0, room.available, 100000), Qt::TextWordWrap, room.text).height();
            if (high > room.availableHeight)
                cut << QStringLiteral("%1 \u201e%2\u201c needs %3 px in height, has %4")
                           .arg(control->objectName(), room.text)
                           .arg(high)
                           .arg(room.availableHeight);
        }
    }
    return cut;
}

} // namespace tilvano::test
