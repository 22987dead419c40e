#pragma once

#include <QGroupBox>

class QLineEdit;

namespace tilvano::messengerpage {

// The chat account the messenger logs on with: address, password and, when
// the server is not the address's own domain, the server. Kept in the same
// keys the messenger reads when it connects.
class AccountFields : public QGroupBox {
    Q_OBJECT
public:
    explicit AccountFields(QWidget *parent = nullptr);

    // Fills the fields from the stored account (empty where nothing is stored).
    void load();
    // Writes the fields; true when that changed what was stored.
    bool save() const;

    QLineEdit *jidField() const { return m_jid; }
    QLineEdit *passwordField() const { return m_password; }
    QLineEdit *serverField() const { return m_server; }

private:
    QLineEdit *m_jid = nullptr;
    QLineEdit *m_password = nullptr;
    QLineEdit *m_server = nullptr;
};

} // namespace tilvano::messengerpage
