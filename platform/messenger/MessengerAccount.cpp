#include "platform/messenger/MessengerAccount.h"

#include "common/SettingsStore.h"

namespace tilvano::messenger {

namespace {

// The number a failed object creation has always carried ("cannot create
// object"), so callers that show it need nothing special.
constexpr qint32 cannotCreateObject = 429;

QString stored(const QString &key, const QString &fallback = QString())
{
    return GetSetting(settingsApplication(), AccountSetting::section(), key, fallback);
}

bool fail(ErrorInfo &error, const QString &description)
{
    error.number = cannotCreateObject;
    error.source = QStringLiteral("Messenger");
    error.description = description;
    error.line = 0;
    return false;
}

bool isUsableJid(const QString &bare)
{
    const qsizetype at = bare.indexOf(QLatin1Char('@'));
    return at > 0 && at < bare.size() - 1 && bare.indexOf(QLatin1Char('@'), at + 1) < 0
        && !bare.contains(QLatin1Char(' '));
}

} // namespace

QString MessengerAccount::bareJid() const
{
    return jid.section(QLatin1Char('/'), 0, 0).trimmed();
}

QString MessengerAccount::domain() const
{
    return bareJid().section(QLatin1Char('@'), 1);
}

std::optional<MessengerAccount> MessengerAccount::load(ErrorInfo &error)
{
    MessengerAccount account;
    account.jid = stored(AccountSetting::jidKey()).trimmed();
    account.password = stored(AccountSetting::passwordKey());
    account.server = stored(AccountSetting::serverKey()).trimmed();

    if (account.jid.isEmpty() || account.password.isEmpty()) {
        fail(error, QStringLiteral("Es ist kein Messenger-Konto eingerichtet (Jabber-ID und Passwort fehlen)."));
        return std::nullopt;
    }
    if (!isUsableJid(account.bareJid())) {
        fail(error, QStringLiteral("Die Jabber-ID \"%1\" ist ungültig; erwartet wird name@server.").arg(account.jid));
        return std::nullopt;
    }
    const QString portText = stored(AccountSetting::portKey(), QStringLiteral("5222"));
    const std::optional<qint32> port = settingToInt32(portText);
    if (!port || *port < 1 || *port > 65535) {
        fail(error, QStringLiteral("Der Port \"%1\" des Messenger-Servers ist ungültig.").arg(portText));
        return std::nullopt;
    }
    account.port = quint16(*port);
    // An unreadable value must not weaken the connection: it counts as "True".
    account.requireTls = settingToBool(stored(AccountSetting::requireTlsKey(), QStringLiteral("True"))).value_or(true);
    return account;
}

void MessengerAccount::save() const
{
    SaveSetting(settingsApplication(), AccountSetting::section(), AccountSetting::jidKey(), jid);
    SaveSetting(settingsApplication(), AccountSetting::section(), AccountSetting::passwordKey(), password);
    SaveSetting(settingsApplication(), AccountSetting::section(), AccountSetting::serverKey(), server);
    SaveSetting(settingsApplication(), AccountSetting::section(), AccountSetting::portKey(), intSetting(port));
    SaveSetting(settingsApplication(), AccountSetting::section(), AccountSetting::requireTlsKey(), boolSetting(requireTls));
}

} // namespace tilvano::messenger
