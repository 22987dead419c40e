#include "plugins/Messenger/AccountFields.h"

#include "common/SettingsStore.h"
#include "common/Twips.h"
#include "platform/messenger/MessengerAccount.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace tilvano::messengerpage {

namespace AccountSetting = messenger::AccountSetting;
using messenger::MessengerAccount;

namespace {

constexpr int labelLeft = 120;
constexpr int labelWidth = 1695;
constexpr int fieldLeft = 1935;
constexpr int fieldWidth = 3900;
constexpr int rowHeight = 315;
constexpr int fullWidth = fieldLeft + fieldWidth - labelLeft;

QString stored(const QString &key)
{
    return GetSetting(settingsApplication(), AccountSetting::section(), key);
}

// Writes a key and says whether that changed the account (a key not yet
// stored reads as empty when connecting, so writing it empty changes nothing),
// and clears `saved` when the store refused it.
bool store(const QString &key, const QString &value, bool &saved)
{
    const bool changed = stored(key) != value;
    if (!SaveSetting(settingsApplication(), AccountSetting::section(), key, value))
        saved = false;
    return changed;
}

// The account as far as the credential store needs it: whose password.
CredentialKey credentialKeyFor(const QString &jid)
{
    MessengerAccount account;
    account.jid = jid;
    return account.credentialKey();
}

} // namespace

AccountFields::AccountFields(QWidget *parent)
    : QGroupBox(QStringLiteral("Konto"), parent)
{
    setObjectName(QStringLiteral("fraAccount"));

    const auto addField = [this](int top, const QString &name, const QString &caption) {
        auto *label = new QLabel(caption, this);
        label->setObjectName(QStringLiteral("lbl") + name);
        label->setGeometry(twipsRect(labelLeft, top + 45, labelWidth, 240));
        auto *field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("txt") + name);
        field->setGeometry(twipsRect(fieldLeft, top, fieldWidth, rowHeight));
        label->setBuddy(field);
        return field;
    };
    m_jid = addField(270, QStringLiteral("Jid"), QStringLiteral("&Jabber-ID:"));
    m_jid->setPlaceholderText(QStringLiteral("name@server.de"));
    m_password = addField(630, QStringLiteral("Password"), QStringLiteral("&Passwort:"));
    m_password->setEchoMode(QLineEdit::Password);
    // Under the password, across the group: where it is kept, in small print.
    m_passwordPlace = new QLabel(this);
    m_passwordPlace->setObjectName(QStringLiteral("lblPasswordPlace"));
    m_passwordPlace->setGeometry(twipsRect(labelLeft, 960, fullWidth, 225));
    m_passwordPlace->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont small = m_passwordPlace->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_passwordPlace->setFont(small);
    m_server = addField(1215, QStringLiteral("Server"), QStringLiteral("Se&rver:"));
    m_server->setPlaceholderText(QStringLiteral("optional, z.B. xmpp.server.de:5222"));
    m_server->setToolTip(QStringLiteral("Leer lassen: der Server wird über den DNS-Eintrag der Domain der "
                                        "Jabber-ID gefunden"));
    m_allowUnencrypted = new QCheckBox(QStringLiteral("&Unverschlüsselt erlauben (nur Server im eigenen Netz)"), this);
    m_allowUnencrypted->setObjectName(QStringLiteral("cbAllowUnencrypted"));
    m_allowUnencrypted->setGeometry(twipsRect(labelLeft, 1590, fullWidth, 240));
}

void AccountFields::load()
{
    const QString jid = stored(AccountSetting::jidKey());
    m_jid->setText(jid);
    m_server->setText(stored(AccountSetting::serverKey()));
    // Unreadable counts as demanding encryption.
    m_allowUnencrypted->setChecked(!settingToBool(stored(AccountSetting::requireTlsKey())).value_or(true));
    m_password->clear();
    m_storedPassword.clear();
    m_passwordPlace->clear();
    if (jid.trimmed().isEmpty())
        return;
    m_credentials.lookup(credentialKeyFor(jid), [this](const CredentialResult &result) {
        if (result.found && m_password->text().isEmpty()) {
            // Filled for the user, not by them: no edit to save.
            const QSignalBlocker quiet(m_password);
            m_password->setText(result.password);
            m_storedPassword = result.password;
        }
        showPasswordPlace(result);
    });
}

AccountFields::SaveResult AccountFields::save()
{
    SaveResult result;
    const QString previousJid = stored(AccountSetting::jidKey()).trimmed();
    const bool previouslyRequired = settingToBool(stored(AccountSetting::requireTlsKey())).value_or(true);
    const QString jid = m_jid->text().trimmed();
    const bool requireTls = !m_allowUnencrypted->isChecked();
    // Not short-circuited: every field is written.
    const bool jidChanged = store(AccountSetting::jidKey(), jid, result.stored);
    const bool serverChanged = store(AccountSetting::serverKey(), m_server->text().trimmed(), result.stored);
    store(AccountSetting::requireTlsKey(), boolSetting(requireTls), result.stored);
    const bool tlsChanged = previouslyRequired != requireTls;
    const bool passwordChanged = m_password->text() != m_storedPassword;

    const auto showPlace = [this](const CredentialResult &result) { showPasswordPlace(result); };
    // A password is not left behind for an address no longer used.
    if (jidChanged && !previousJid.isEmpty() && previousJid.compare(jid, Qt::CaseInsensitive) != 0)
        m_credentials.clear(credentialKeyFor(previousJid), [](const CredentialResult &) {});
    if (!jid.isEmpty() && (passwordChanged || jidChanged)) {
        m_storedPassword = m_password->text();
        m_credentials.store(credentialKeyFor(jid), m_storedPassword, showPlace);
    }
    result.accountChanged = jidChanged || passwordChanged || serverChanged || tlsChanged;
    return result;
}

void AccountFields::showPasswordPlace(const CredentialResult &result)
{
    QPalette palette = m_passwordPlace->palette();
    palette.setColor(QPalette::WindowText, result.ok ? palette.color(QPalette::Disabled, QPalette::WindowText) : Qt::red);
    m_passwordPlace->setPalette(palette);
    if (!result.ok)
        m_passwordPlace->setText(result.error);
    else if (result.found || !m_password->text().isEmpty())
        m_passwordPlace->setText(QStringLiteral("Passwort ") + CredentialStore::describe(result.location));
    else
        m_passwordPlace->clear();
}

} // namespace tilvano::messengerpage
