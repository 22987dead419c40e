#pragma once

#include <QFont>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <memory>

class QComboBox;
class QEvent;
class QToolButton;

namespace tilvano {

// Named values a host keeps for an embedded control between runs, in the
// order they were written. A value equal to its default is not written.
using PropertyBag = QList<QPair<QString, QVariant>>;

// The macro picker the settings pages embed wherever the user assigns a
// stored macro to an occasion: a drop-down of the stored macro names headed
// by "(kein Macro)", a button that runs the shown macro through the
// scripting object and one that opens the macro editor on it.
//
// The list is always read from the macro store; the control keeps nothing
// but its display properties.
class MacroBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qint32 BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(qint32 ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabledFlag)
    Q_PROPERTY(QFont Font READ Font WRITE setFontValue)
    Q_PROPERTY(qint16 BackStyle READ BackStyle WRITE setBackStyle)
    Q_PROPERTY(qint16 BorderStyle READ BorderStyle WRITE setBorderStyle)
    Q_PROPERTY(QString Text READ Text WRITE setText)
    Q_PROPERTY(qint16 ListIndex READ ListIndex WRITE setListIndex)
    Q_PROPERTY(qint16 ListCount READ ListCount)

public:
    explicit MacroBox(QWidget *parent = nullptr);
    ~MacroBox() override;

    static QString noMacroText() { return QStringLiteral("(kein Macro)"); }

    qint32 BackColor() const;
    void setBackColor(qint32 value);
    qint32 ForeColor() const;
    void setForeColor(qint32 value);
    // The stored flag; setting it also enables or disables the three children.
    bool Enabled() const;
    void setEnabledFlag(bool value);
    QFont Font() const;
    void setFontValue(const QFont &value);
    qint16 BackStyle() const;
    void setBackStyle(qint16 value);
    qint16 BorderStyle() const;
    void setBorderStyle(qint16 value);

    // Refills the list from the store, keeping the selection by name.
    Q_INVOKABLE void Refresh();
    // The selected entry's text; empty when nothing is selected.
    QString Text() const;
    // Selects the last entry equal to text (case-sensitive), else position 0.
    // Never fails and sends no change notification.
    void setText(const QString &text);
    // -1 when nothing is selected.
    qint16 ListIndex() const;
    // False (and nothing changed) for a position the list does not hold.
    bool setListIndex(qint16 index);
    qint16 ListCount() const;
    // Keeps the scripting object (reached late-bound: only its invocable
    // RunMacroByName(QString) is used), refills the list and enables the
    // children. The stored Enabled flag stays as it was.
    Q_INVOKABLE bool Init(QObject *lKibo);
    // The script of the first stored macro whose name equals Text exactly.
    Q_INVOKABLE QString MacroText() const;

    // The host's property bag.
    PropertyBag WriteProperties() const;
    void ReadProperties(const PropertyBag &bag);

    // The children, for hosts' layouts and for tests.
    QComboBox *macroCombo() const;
    QToolButton *testButton() const;
    QToolButton *editButton() const;

signals:
    // Sent when a property is set by the host: its name.
    void propertyChanged(const QString &name);
    // Sent when the user picks an entry from the list.
    void Click();
    void DblClick();
    void KeyDown(qint16 &KeyCode, qint16 &Shift);
    void KeyPress(qint16 &KeyAscii);
    void KeyUp(qint16 &KeyCode, qint16 &Shift);
    void MouseDown(qint16 &Button, qint16 &Shift, float &X, float &Y);
    void MouseMove(qint16 &Button, qint16 &Shift, float &X, float &Y);
    void MouseUp(qint16 &Button, qint16 &Shift, float &X, float &Y);

private:
    // Rebuilds the list from the store and selects the previous entry again
    // by its name, or the no-macro entry when no macro bears it any more.
    void FillMacroList();
    // The font a new instance takes and that need not be written.
    QFont ambientFont() const;
    void runShownMacro();
    void openEditor();
    // The combo's input as seen by the control; true swallows the event.
    bool comboEvent(QEvent *event);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tilvano
