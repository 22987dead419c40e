#pragma once

#include "system/credentials/CredentialStore.h"

#include <QGroupBox>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace tilvano::messengerpage {

// The chat account the messenger logs on with: address, password, the
// server when it is not the one the address's domain announces, and the
// exception that allows a server in the user's own network without
// encryption. Kept where the messenger reads it when it connects: the
// account in the settings, the password in the credential store. Below the
// password it says which store keeps it.
class AccountFields : public QGroupBox {
    Q_OBJECT
public:
    explicit AccountFields(QWidget *parent = nullptr);

    // Fills the fields from the stored account (empty where nothing is
    // stored); the password follows when the credential store answers,
    // without counting as an edit.
    void load();
    struct SaveResult {
        bool stored = true;          // false: the settings store refused a field
        bool accountChanged = false; // the account the messenger logs on with
    };
    // Writes the fields. The password is stored in the background, ahead of
    // any lookup made after this call.
    SaveResult save();

    QLineEdit *jidField() const { return m_jid; }
    QLineEdit *passwordField() const { return m_password; }
    QLineEdit *serverField() const { return m_server; }
    QCheckBox *allowUnencryptedBox() const { return m_allowUnencrypted; }
    QLabel *passwordPlaceLabel() const { return m_passwordPlace; }

private:
    void showPasswordPlace(const CredentialResult &result);

    QLineEdit *m_jid = nullptr;
    QLineEdit *m_password = nullptr;
    QLineEdit *m_server = nullptr;
    QCheckBox *m_allowUnencrypted = nullptr;
    QLabel *m_passwordPlace = nullptr;
    CredentialStore m_credentials;
    QString m_storedPassword;
};

} // namespace tilvano::messengerpage
