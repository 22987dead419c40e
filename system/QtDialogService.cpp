#include "system/QtDialogService.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace tilvano {

namespace {

// Every box is made on the heap, without a parent, and watched by a guarded
// pointer. A box must not belong to a window that can go away while it waits
// for the user: calls that arrive during its event loop may unload the
// character's window, which would free a child box under our feet (twice, when
// the box lived on the stack). And whoever deletes the box while it runs must
// not leave us holding a dangling pointer.
template<typename Dialog>
class OwnBox {
public:
    template<typename... Arguments>
    explicit OwnBox(Arguments &&...arguments) : m_box(new Dialog(std::forward<Arguments>(arguments)...))
    {
    }
    ~OwnBox() { delete m_box.data(); }
    OwnBox(const OwnBox &) = delete;
    OwnBox &operator=(const OwnBox &) = delete;

    Dialog *operator->() const { return m_box.data(); }
    // False when the box was deleted while it ran.
    explicit operator bool() const { return !m_box.isNull(); }
    // Runs the box; its result, or Rejected when it is gone.
    int exec() { return m_box ? m_box->exec() : QDialog::Rejected; }

private:
    QPointer<Dialog> m_box;
};

struct ButtonSpec {
    QString text;
    QMessageBox::ButtonRole role;
};

ButtonSpec buttonFor(int answer)
{
    switch (answer) {
    case DialogService::Cancel: return {QStringLiteral("Abbrechen"), QMessageBox::RejectRole};
    case DialogService::Abort: return {QStringLiteral("&Abbrechen"), QMessageBox::RejectRole};
    case DialogService::Retry: return {QStringLiteral("&Wiederholen"), QMessageBox::AcceptRole};
    case DialogService::Ignore: return {QStringLiteral("&Ignorieren"), QMessageBox::AcceptRole};
    case DialogService::Yes: return {QStringLiteral("&Ja"), QMessageBox::YesRole};
    case DialogService::No: return {QStringLiteral("&Nein"), QMessageBox::NoRole};
    default: return {QStringLiteral("OK"), QMessageBox::AcceptRole};
    }
}

QMessageBox::Icon iconFor(int icon)
{
    switch (icon) {
    case DialogService::Critical: return QMessageBox::Critical;
    case DialogService::Question: return QMessageBox::Question;
    case DialogService::Exclamation: return QMessageBox::Warning;
    case DialogService::Information: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

int QtDialogService::messageBox(const QString &text, const QString &title, int style)
{
    OwnBox<QMessageBox> box(iconFor(style & 0xf0), title, text, QMessageBox::NoButton);
    const QList<int> answers = answersOf(style);
    QList<QPushButton *> pushButtons;
    for (const int answer : answers) {
        const ButtonSpec button = buttonFor(answer);
        pushButtons << box->addButton(button.text, button.role);
    }
    box->setDefaultButton(pushButtons.at(answers.indexOf(defaultAnswer(style))));
    // Escape answers Cancel where there is one, else the only button.
    for (qsizetype i = 0; i < answers.size(); ++i) {
        if (answers[i] == Cancel || answers.size() == 1)
            box->setEscapeButton(pushButtons[i]);
    }
    box.exec();
    const qsizetype chosen = box ? pushButtons.indexOf(qobject_cast<QPushButton *>(box->clickedButton())) : -1;
    // No button chosen: the box was ended from outside (the program is ending,
    // or it was deleted), so it answers as a box that cannot be asked does.
    return chosen < 0 ? defaultAnswer(style) : answers[chosen];
}

QString QtDialogService::inputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    OwnBox<QInputDialog> dialog;
    dialog->setWindowTitle(title);
    dialog->setLabelText(prompt);
    dialog->setTextValue(defaultText);
    dialog->setOkButtonText(QStringLiteral("OK"));
    dialog->setCancelButtonText(QStringLiteral("Abbrechen"));
    if (dialog.exec() != QDialog::Accepted || !dialog)
        return QString();
    const QString text = dialog->textValue();
    return text.isNull() ? QStringLiteral("") : text;
}

void QtDialogService::showNotice(const QString &text, const QString &title, int icon)
{
    // No parent: the notice must outlive whichever window happens to be active.
    auto *box = new QMessageBox(iconFor(icon & 0xf0), title, text, QMessageBox::NoButton);
    const ButtonSpec ok = buttonFor(Ok);
    box->addButton(ok.text, ok.role);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

QString QtDialogService::openFileName(const QString &title, const QString &filter, const QString &directory)
{
    // Not QFileDialog::getOpenFileName: it keeps its dialog on the stack, as
    // a child of the window it is given.
    OwnBox<QFileDialog> dialog(nullptr, title, directory, filter);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // The desktop's own dialog speaks the session's language; ours is German
    // whatever that is, and so is Qt's dialog with its German catalogue.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || !dialog)
        return QString();
    return dialog->selectedFiles().value(0);
}

} // namespace tilvano
