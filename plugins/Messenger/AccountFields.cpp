#include "plugins/Messenger/AccountFields.h"

#include "common/SettingsStore.h"
#include "common/Twips.h"
#include "platform/messenger/MessengerAccount.h"

#include <QLabel>
#include <QLineEdit>

namespace tilvano::messengerpage {

namespace AccountSetting = messenger::AccountSetting;

namespace {

constexpr int labelLeft = 120;
constexpr int labelWidth = 1695;
constexpr int fieldLeft = 1935;
constexpr int fieldWidth = 3900;
constexpr int rowHeight = 315;
constexpr int firstRowTop = 330;
constexpr int rowPitch = 420;

QString stored(const QString &key)
{
    return GetSetting(settingsApplication(), AccountSetting::section(), key);
}

// Writes a key and says whether that changed the account (a key not yet
// stored reads as empty when connecting, so writing it empty changes nothing).
bool store(const QString &key, const QString &value)
{
    const bool changed = stored(key) != value;
    SaveSetting(settingsApplication(), AccountSetting::section(), key, value);
    return changed;
}

} // namespace

AccountFields::AccountFields(QWidget *parent)
    : QGroupBox(QStringLiteral("Konto"), parent)
{
    setObjectName(QStringLiteral("fraAccount"));

    const auto addRow = [this](int row, const QString &name, const QString &caption) {
        const int top = firstRowTop + row * rowPitch;
        auto *label = new QLabel(caption, this);
        label->setObjectName(QStringLiteral("lbl") + name);
        label->setGeometry(twipsRect(labelLeft, top + 45, labelWidth, 240));
        auto *field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("txt") + name);
        field->setGeometry(twipsRect(fieldLeft, top, fieldWidth, rowHeight));
        label->setBuddy(field);
        return field;
    };
    m_jid = addRow(0, QStringLiteral("Jid"), QStringLiteral("&Jabber-ID:"));
    m_jid->setPlaceholderText(QStringLiteral("name@server.de"));
    m_password = addRow(1, QStringLiteral("Password"), QStringLiteral("&Passwort:"));
    m_password->setEchoMode(QLineEdit::Password);
    m_server = addRow(2, QStringLiteral("Server"), QStringLiteral("Se&rver:"));
    m_server->setToolTip(QStringLiteral("Leer lassen, wenn der Server der Jabber-ID angesprochen werden soll"));
}

void AccountFields::load()
{
    m_jid->setText(stored(AccountSetting::jidKey()));
    m_password->setText(stored(AccountSetting::passwordKey()));
    m_server->setText(stored(AccountSetting::serverKey()));
}

bool AccountFields::save() const
{
    // Not short-circuited: every field is written.
    const bool jidChanged = store(AccountSetting::jidKey(), m_jid->text().trimmed());
    const bool passwordChanged = store(AccountSetting::passwordKey(), m_password->text());
    const bool serverChanged = store(AccountSetting::serverKey(), m_server->text().trimmed());
    return jidChanged || passwordChanged || serverChanged;
}

} // namespace tilvano::messengerpage
