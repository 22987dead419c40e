#pragma once

#include "platform/mail/MailSettings.h"

#include <QGroupBox>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QStackedWidget;

namespace tilvano {
class CredentialStore;
}

namespace tilvano::outlook {

// Where the mail comes from: a Maildir (folder, sent folder, sync command)
// or an IMAP account (server, port, security, user, password, folders), and
// the calendar folder for reminders. Kept in the keys of the "Mail" section
// the mail application reads; the password in the credential store, and the
// section says which store that is.
class MailSourceFields : public QGroupBox {
    Q_OBJECT
public:
    explicit MailSourceFields(QWidget *parent = nullptr);
    ~MailSourceFields() override;

    // Fills the fields from the stored settings; the password follows when
    // the credential store answers.
    void load();
    // Writes the fields; false when the settings store refused one of them.
    // `done(ok)` is called once the password is stored too (at once when the
    // source is a Maildir); ok is false when the password could not be
    // stored, and the section then says why.
    bool save(std::function<void(bool ok)> done);

    mail::MailSettings settings() const;
    bool isImap() const;

    QComboBox *sourceBox() const { return m_source; }
    QLineEdit *maildirField() const { return m_maildir; }
    QLineEdit *sentFolderField() const { return m_sentFolder; }
    QLineEdit *syncCommandField() const { return m_syncCommand; }
    QLineEdit *calendarField() const { return m_calendar; }
    QLineEdit *hostField() const { return m_host; }
    QSpinBox *portField() const { return m_port; }
    QComboBox *securityBox() const { return m_security; }
    QLineEdit *userField() const { return m_user; }
    QLineEdit *passwordField() const { return m_password; }
    QLineEdit *inboxField() const { return m_inbox; }
    QLineEdit *imapSentField() const { return m_imapSent; }
    QLabel *passwordNote() const { return m_passwordNote; }

signals:
    // The user changed a field.
    void edited();

private:
    void showSource();
    void watch(QLineEdit *field);

    QComboBox *m_source = nullptr;
    QLineEdit *m_calendar = nullptr;
    QStackedWidget *m_stack = nullptr;
    QLineEdit *m_maildir = nullptr;
    QLineEdit *m_sentFolder = nullptr;
    QLineEdit *m_syncCommand = nullptr;
    QLineEdit *m_host = nullptr;
    QSpinBox *m_port = nullptr;
    QComboBox *m_security = nullptr;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
    QLineEdit *m_inbox = nullptr;
    QLineEdit *m_imapSent = nullptr;
    QLabel *m_passwordNote = nullptr;
    CredentialStore *m_credentials = nullptr;
    bool m_loading = false;
};

} // namespace tilvano::outlook
