#include "platform/system/QtDialogService.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace tilvano {

namespace {

struct ButtonSpec {
    QString text;
    QMessageBox::ButtonRole role;
    int result;
};

QList<ButtonSpec> buttonsFor(int buttons)
{
    const ButtonSpec ok{QStringLiteral("OK"), QMessageBox::AcceptRole, DialogService::Ok};
    const ButtonSpec cancel{QStringLiteral("Abbrechen"), QMessageBox::RejectRole, DialogService::Cancel};
    const ButtonSpec abort{QStringLiteral("&Abbrechen"), QMessageBox::RejectRole, DialogService::Abort};
    const ButtonSpec retry{QStringLiteral("&Wiederholen"), QMessageBox::AcceptRole, DialogService::Retry};
    const ButtonSpec ignore{QStringLiteral("&Ignorieren"), QMessageBox::AcceptRole, DialogService::Ignore};
    const ButtonSpec yes{QStringLiteral("&Ja"), QMessageBox::YesRole, DialogService::Yes};
    const ButtonSpec no{QStringLiteral("&Nein"), QMessageBox::NoRole, DialogService::No};
    switch (buttons) {
    case DialogService::OkCancel: return {ok, cancel};
    case DialogService::AbortRetryIgnore: return {abort, retry, ignore};
    case DialogService::YesNoCancel: return {yes, no, cancel};
    case DialogService::YesNo: return {yes, no};
    case DialogService::RetryCancel: return {retry, cancel};
    default: return {ok};
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
    QMessageBox box(iconFor(style & 0xf0), title, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    const QList<ButtonSpec> specs = buttonsFor(style & 0x0f);
    QList<QPushButton *> pushButtons;
    for (const ButtonSpec &button : specs)
        pushButtons << box.addButton(button.text, button.role);
    const int defaultIndex = std::min<int>((style & 0xf00) / 256, int(specs.size()) - 1);
    box.setDefaultButton(pushButtons.value(defaultIndex));
    // Escape answers Cancel where there is one, else the only button.
    for (int i = 0; i < specs.size(); ++i) {
        if (specs[i].result == Cancel || specs.size() == 1)
            box.setEscapeButton(pushButtons[i]);
    }
    box.exec();
    const qsizetype chosen = pushButtons.indexOf(qobject_cast<QPushButton *>(box.clickedButton()));
    if (chosen < 0)
        return specs.size() == 1 ? specs.first().result : Cancel;
    return specs[chosen].result;
}

QString QtDialogService::inputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QString text = dialog.textValue();
    return text.isNull() ? QStringLiteral("") : text;
}

QString QtDialogService::openFileName(const QString &title, const QString &filter, const QString &directory)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, directory, filter);
}

} // namespace tilvano
