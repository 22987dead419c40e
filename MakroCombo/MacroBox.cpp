#include "MakroCombo/MacroBox.h"

#include "common/ErrorInfo.h"
#include "common/MacroStore.h"
#include "common/SettingsStore.h"
#include "common/Twips.h"
#include "common/mShellExecute.h"

#include <QApplication>
#include <QCollator>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

#include <functional>
#include <limits>
#include <optional>

namespace tilvano {

namespace {

// The fixed frame and its children, in twips.
constexpr int frameWidth = 3405;
constexpr int frameHeight = 315;

// Show mode that lets the started program appear in its own default state.
constexpr qint32 showDefault = 10;

QString deliverableName() { return QStringLiteral("TilvanoScript"); }

// The picker's own entry is told apart from a macro that happens to bear the
// same name by this marker in its item data.
constexpr int placeholderRole = Qt::UserRole + 1;

QPixmap playSymbol()
{
    QPixmap pixmap(11, 11);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x00, 0x00, 0x80));
    const QPointF corners[] = {{1.5, 0.5}, {10.5, 5.5}, {1.5, 10.5}};
    painter.drawPolygon(corners, 3);
    return pixmap;
}

// A sheet with a pencil laid across it.
QPixmap editingSymbol()
{
    QPixmap pixmap(16, 15);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(1.5, 1.5, 9, 12));
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    for (double y = 4.5; y < 12; y += 2)
        painter.drawLine(QPointF(3.5, y), QPointF(8.5, y));

    painter.translate(10, 8);
    painter.rotate(45);
    painter.setPen(QPen(QColor(0x20, 0x20, 0x20), 0.8));
    painter.setBrush(QColor(0xe8, 0xb0, 0x20));
    painter.drawRect(QRectF(-1.6, -6.5, 3.2, 9));
    painter.setBrush(QColor(0xd0, 0x50, 0x50));
    painter.drawRect(QRectF(-1.6, -8, 3.2, 1.5));
    QPainterPath tip;
    tip.moveTo(-1.6, 2.5);
    tip.lineTo(1.6, 2.5);
    tip.lineTo(0, 5.5);
    tip.closeSubpath();
    painter.setBrush(QColor(0xf0, 0xd8, 0xa8));
    painter.drawPath(tip);
    return pixmap;
}

QToolButton *imageButton(QWidget *parent, const QString &name, const QString &toolTip, const QPixmap &image,
                         const QRect &geometry)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(toolTip);
    button->setIcon(QIcon(image));
    button->setIconSize(image.size());
    button->setAutoRaise(false);
    button->setGeometry(geometry);
    button->setEnabled(false);
    return button;
}

// Key codes as hosts know them from the classic key events: letters and
// digits are their capital ASCII code, the rest follows the virtual key table.
qint16 classicKeyCode(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qint16(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return qint16(112 + (qtKey - Qt::Key_F1));
    switch (qtKey) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: return 0;
    }
}

// 1 = Shift, 2 = Ctrl, 4 = Alt, combined.
qint16 shiftState(Qt::KeyboardModifiers modifiers)
{
    qint16 state = 0;
    if (modifiers & Qt::ShiftModifier)
        state |= 1;
    if (modifiers & Qt::ControlModifier)
        state |= 2;
    if (modifiers & Qt::AltModifier)
        state |= 4;
    return state;
}

// 1 = left, 2 = right, 4 = middle, combined.
qint16 buttonState(Qt::MouseButtons buttons)
{
    qint16 state = 0;
    if (buttons & Qt::LeftButton)
        state |= 1;
    if (buttons & Qt::RightButton)
        state |= 2;
    if (buttons & Qt::MiddleButton)
        state |= 4;
    return state;
}

// Property bag values come from the host's storage and may be of any type or
// out of range; such a value is treated as absent.
template <typename Int> std::optional<Int> bagInteger(const QVariant &value)
{
    if (!value.isValid())
        return std::nullopt;
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (!ok || number < std::numeric_limits<Int>::min() || number > std::numeric_limits<Int>::max())
        return std::nullopt;
    return Int(number);
}

std::optional<bool> bagBool(const QVariant &value)
{
    if (!value.isValid())
        return std::nullopt;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString)
        return settingToBool(value.toString());
    if (const auto number = bagInteger<qint32>(value))
        return *number != 0;
    return std::nullopt;
}

std::optional<QFont> bagFont(const QVariant &value)
{
    if (value.typeId() == QMetaType::QFont)
        return value.value<QFont>();
    if (value.typeId() == QMetaType::QString) {
        QFont font;
        if (font.fromString(value.toString()))
            return font;
    }
    return std::nullopt;
}

// Forwards the combo's input to the control: focus entry refills the list,
// key and mouse input becomes the control's declared events.
class ComboWatcher final : public QObject {
public:
    ComboWatcher(QObject *parent, std::function<bool(QEvent *)> handler)
        : QObject(parent), m_handler(std::move(handler))
    {
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_handler(event))
            return true;
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool(QEvent *)> m_handler;
};

} // namespace

struct MacroBox::Private {
    QComboBox *combo = nullptr;
    QToolButton *testButton = nullptr;
    QToolButton *editButton = nullptr;
    QObject *comboWatcher = nullptr;

    qint32 backColor = 0;
    qint32 foreColor = 0;
    bool enabled = false;
    QFont font;
    qint16 backStyle = 0;
    qint16 borderStyle = 0;

    // Shared with the host, which owns it; a host that drops it early leaves
    // the test button harmless rather than dangling.
    QPointer<QObject> kibo;

    QCollator collator;
};

MacroBox::MacroBox(QWidget *parent) : QWidget(parent), d(std::make_unique<Private>())
{
    d->collator.setCaseSensitivity(Qt::CaseInsensitive);
    d->font = parent ? parent->font() : QApplication::font();

    setFixedSize(twipsSize(frameWidth, frameHeight));

    d->combo = new QComboBox(this);
    d->combo->setObjectName(QStringLiteral("MacroCombo"));
    d->combo->setEditable(false);
    d->combo->setGeometry(twipsRect(0, 0, 2790, 315));
    d->combo->setEnabled(false);

    d->editButton = imageButton(this, QStringLiteral("btnEditMacros"), QStringLiteral("Ablaufwerk aufrufen"),
                                editingSymbol(), twipsRect(3075, 0, 300, 300));
    d->testButton = imageButton(this, QStringLiteral("btnTestMacro"), QStringLiteral("Makro testen"),
                                playSymbol(), twipsRect(2775, 0, 300, 300));

    QWidget::setTabOrder(d->combo, d->editButton);
    QWidget::setTabOrder(d->editButton, d->testButton);

    // activated() comes only from the user's pick, never from the fills and
    // selections the control makes itself.
    connect(d->combo, &QComboBox::activated, this, [this] { emit Click(); });
    connect(d->testButton, &QToolButton::clicked, this, [this] { runShownMacro(); });
    connect(d->editButton, &QToolButton::clicked, this, [this] { openEditor(); });

    d->comboWatcher = new ComboWatcher(this, [this](QEvent *event) { return comboEvent(event); });
    d->combo->installEventFilter(d->comboWatcher);
}

MacroBox::~MacroBox()
{
    // The children outlive this body (QWidget deletes them later); a focus
    // change while they go must not reach the control's freed state.
    d->combo->removeEventFilter(d->comboWatcher);
    d->combo->disconnect(this);
    d->testButton->disconnect(this);
    d->editButton->disconnect(this);
}

qint32 MacroBox::BackColor() const { return d->backColor; }

void MacroBox::setBackColor(qint32 value)
{
    d->backColor = value;
    emit propertyChanged(QStringLiteral("BackColor"));
}

qint32 MacroBox::ForeColor() const { return d->foreColor; }

void MacroBox::setForeColor(qint32 value)
{
    d->foreColor = value;
    emit propertyChanged(QStringLiteral("ForeColor"));
}

bool MacroBox::Enabled() const { return d->enabled; }

void MacroBox::setEnabledFlag(bool value)
{
    d->enabled = value;
    emit propertyChanged(QStringLiteral("Enabled"));
    d->combo->setEnabled(value);
    d->testButton->setEnabled(value);
    d->editButton->setEnabled(value);
}

QFont MacroBox::Font() const { return d->font; }

void MacroBox::setFontValue(const QFont &value)
{
    d->font = value;
    emit propertyChanged(QStringLiteral("Font"));
}

qint16 MacroBox::BackStyle() const { return d->backStyle; }

void MacroBox::setBackStyle(qint16 value)
{
    d->backStyle = value;
    emit propertyChanged(QStringLiteral("BackStyle"));
}

qint16 MacroBox::BorderStyle() const { return d->borderStyle; }

void MacroBox::setBorderStyle(qint16 value)
{
    d->borderStyle = value;
    emit propertyChanged(QStringLiteral("BorderStyle"));
}

void MacroBox::Refresh() { FillMacroList(); }

QString MacroBox::Text() const
{
    return d->combo->currentIndex() >= 0 ? d->combo->currentText() : QString();
}

void MacroBox::setText(const QString &text)
{
    for (int position = d->combo->count() - 1; position >= 0; --position) {
        if (d->combo->itemText(position) == text) {
            d->combo->setCurrentIndex(position);
            return;
        }
    }
    // An empty list has no position 0; the selection then stays empty.
    if (d->combo->count() > 0)
        d->combo->setCurrentIndex(0);
}

qint16 MacroBox::ListIndex() const { return qint16(d->combo->currentIndex()); }

bool MacroBox::setListIndex(qint16 index)
{
    if (index < -1 || index >= d->combo->count())
        return false;
    d->combo->setCurrentIndex(index);
    emit propertyChanged(QStringLiteral("ListIndex"));
    return true;
}

qint16 MacroBox::ListCount() const { return qint16(d->combo->count()); }

bool MacroBox::Init(QObject *lKibo)
{
    d->kibo = lKibo;
    FillMacroList();
    d->combo->setEnabled(true);
    d->editButton->setEnabled(true);
    d->testButton->setEnabled(true);
    return true;
}

QString MacroBox::MacroText() const
{
    // Read from the store at the time of the call, not from the list: the
    // first listed macro with exactly this name wins.
    const QString name = Text();
    for (const StoredMacro &macro : ListMacros()) {
        if (macro.name == name)
            return macro.script;
    }
    return QString();
}

PropertyBag MacroBox::WriteProperties() const
{
    PropertyBag bag;
    const auto write = [&bag](const char *key, const QVariant &value, const QVariant &defaultValue) {
        if (value != defaultValue)
            bag.append({QString::fromLatin1(key), value});
    };
    write("BackColor", QVariant::fromValue(d->backColor), QVariant::fromValue(qint32(0)));
    write("ForeColor", QVariant::fromValue(d->foreColor), QVariant::fromValue(qint32(0)));
    write("Enabled", QVariant(d->enabled), QVariant(false));
    write("Font", QVariant(d->font), QVariant(ambientFont()));
    write("BackStyle", QVariant::fromValue(d->backStyle), QVariant::fromValue(qint16(0)));
    write("BorderStyle", QVariant::fromValue(d->borderStyle), QVariant::fromValue(qint16(0)));
    // The writing default is the list's own name, so an empty text is written.
    write("Text", QVariant(Text()), QVariant(QStringLiteral("MacroCombo")));
    write("ListIndex", QVariant::fromValue(ListIndex()), QVariant::fromValue(qint16(0)));
    return bag;
}

void MacroBox::ReadProperties(const PropertyBag &bag)
{
    const auto read = [&bag](const char *key) -> QVariant {
        const QString name = QString::fromLatin1(key);
        for (const auto &[bagKey, value] : bag) {
            if (bagKey.compare(name, Qt::CaseInsensitive) == 0)
                return value;
        }
        return QVariant();
    };
    // Loading restores the stored state only: the host is not told, and the
    // children keep their state (Init or the host's Enabled decide that).
    d->backColor = bagInteger<qint32>(read("BackColor")).value_or(0);
    d->foreColor = bagInteger<qint32>(read("ForeColor")).value_or(0);
    d->enabled = bagBool(read("Enabled")).value_or(false);
    d->font = bagFont(read("Font")).value_or(ambientFont());
    d->backStyle = bagInteger<qint16>(read("BackStyle")).value_or(0);
    d->borderStyle = bagInteger<qint16>(read("BorderStyle")).value_or(0);
    // The list is normally still empty when the host loads, so only "nothing
    // selected" can be applied. A position the list does not hold (the reading
    // default 0 included) is ignored rather than treated as a failed load:
    // the first fill selects the no-macro entry anyway.
    const qint16 listIndex = bagInteger<qint16>(read("ListIndex")).value_or(0);
    if (listIndex >= -1 && listIndex < d->combo->count())
        d->combo->setCurrentIndex(listIndex);
}

QComboBox *MacroBox::macroCombo() const { return d->combo; }
QToolButton *MacroBox::testButton() const { return d->testButton; }
QToolButton *MacroBox::editButton() const { return d->editButton; }

void MacroBox::FillMacroList()
{
    const QString remembered = Text();

    d->combo->clear();
    d->combo->addItem(noMacroText());
    d->combo->setItemData(0, true, placeholderRole);

    for (const QString &name : ListMacroNames()) {
        // Equal names (by collation) keep the order of their slots.
        int position = d->combo->count();
        for (int i = 0; i < d->combo->count(); ++i) {
            if (d->collator.compare(name, d->combo->itemText(i)) < 0) {
                position = i;
                break;
            }
        }
        d->combo->insertItem(position, name);
    }

    for (int position = d->combo->count() - 1; position >= 0; --position) {
        if (!d->combo->itemData(position, placeholderRole).toBool()
            && d->combo->itemText(position) == remembered) {
            d->combo->setCurrentIndex(position);
            return;
        }
    }
    d->combo->setCurrentIndex(d->combo->findData(true, placeholderRole));
}

QFont MacroBox::ambientFont() const
{
    return parentWidget() ? parentWidget()->font() : QApplication::font();
}

void MacroBox::runShownMacro()
{
    // Before Init there is no scripting object; the button then does nothing.
    QObject *kibo = d->kibo.data();
    if (!kibo)
        return;
    const QMetaObject *meta = kibo->metaObject();
    for (int i = meta->methodCount() - 1; i >= 0; --i) {
        const QMetaMethod method = meta->method(i);
        if (method.name().compare("RunMacroByName", Qt::CaseInsensitive) != 0 || method.parameterCount() != 1
            || method.parameterType(0) != QMetaType::QString)
            continue;
        // The object is reached late-bound: whatever it returns is accepted
        // and dropped, as the run reports its own failures.
        const QString name = Text();
        if (method.returnType() == QMetaType::Void) {
            method.invoke(kibo, Qt::DirectConnection, Q_ARG(QString, name));
        } else {
            QVariant result{QMetaType(method.returnType())};
            method.invoke(kibo, Qt::DirectConnection, QGenericReturnArgument(method.typeName(), result.data()),
                          Q_ARG(QString, name));
        }
        return;
    }
}

void MacroBox::openEditor()
{
    const QString editor =
        GetSetting(settingsApplication(), QStringLiteral("StoredValues"), QStringLiteral("MacroEditor"));
    // A failing start is recorded by the launcher; the control shows nothing.
    ErrorInfo error;
    ShellOpen(editor, showDefault, Text(), QString(), QStringLiteral("open"), error, deliverableName());
}

bool MacroBox::comboEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        // Closing the drop-down hands the focus back; that is no new entry.
        if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
            FillMacroList();
        return false;
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        qint16 keyCode = classicKeyCode(key->key());
        qint16 shift = shiftState(key->modifiers());
        emit KeyDown(keyCode, shift);
        const QString text = key->text();
        if (text.size() == 1 && text.at(0).unicode() < 256) {
            qint16 keyAscii = qint16(text.at(0).unicode());
            emit KeyPress(keyAscii);
            // A handler that clears the character swallows the key.
            if (keyAscii == 0)
                return true;
        }
        return false;
    }
    case QEvent::KeyRelease: {
        auto *key = static_cast<QKeyEvent *>(event);
        qint16 keyCode = classicKeyCode(key->key());
        qint16 shift = shiftState(key->modifiers());
        emit KeyUp(keyCode, shift);
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        // A press or release names the button that changed; a move the held ones.
        qint16 button = buttonState(event->type() == QEvent::MouseMove ? mouse->buttons() : mouse->button());
        qint16 shift = shiftState(mouse->modifiers());
        const QPointF at = d->combo->mapTo(this, mouse->position().toPoint());
        float x = float(at.x() * TwipsPerPixel);
        float y = float(at.y() * TwipsPerPixel);
        if (event->type() == QEvent::MouseButtonPress)
            emit MouseDown(button, shift, x, y);
        else if (event->type() == QEvent::MouseMove)
            emit MouseMove(button, shift, x, y);
        else
            emit MouseUp(button, shift, x, y);
        return false;
    }
    case QEvent::MouseButtonDblClick:
        emit DblClick();
        return false;
    default: return false;
    }
}

} // namespace tilvano
