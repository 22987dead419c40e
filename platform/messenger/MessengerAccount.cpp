#include "platform/messenger/MessengerAccount.h"

#include "system/SettingText.h"
#include "system/SettingsSection.h"

namespace tilvano::messenger {

namespace {

// The number a failed object creation has always carried ("cannot create
// object"), so callers that show it need nothing special.
constexpr qint32 cannotCreateObject = 429;

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

std::optional<quint16> portFrom(const QString &text)
{
    bool ok = false;
    const uint port = text.trimmed().toUInt(&ok);
    if (!ok || port < 1 || port > 65535)
        return std::nullopt;
    return quint16(port);
}

} // namespace

std::optional<ServerAddress> parseServerAddress(const QString &text, quint16 defaultPort)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    if (trimmed.startsWith(QLatin1Char('['))) {
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        if (close < 0)
            return std::nullopt;
        const QString rest = trimmed.mid(close + 1);
        std::optional<quint16> port = defaultPort;
        if (!rest.isEmpty())
            port = rest.startsWith(QLatin1Char(':')) ? portFrom(rest.mid(1)) : std::nullopt;
        if (!port)
            return std::nullopt;
        return ServerAddress{trimmed.mid(1, close - 1), *port};
    }
    // More than one colon: a v6 address without a port.
    if (trimmed.count(QLatin1Char(':')) != 1)
        return ServerAddress{trimmed, defaultPort};
    const std::optional<quint16> port = portFrom(trimmed.section(QLatin1Char(':'), 1));
    if (!port)
        return std::nullopt;
    return ServerAddress{trimmed.section(QLatin1Char(':'), 0, 0), *port};
}

QString MessengerAccount::bareJid() const
{
    return jid.section(QLatin1Char('/'), 0, 0).trimmed();
}

QString MessengerAccount::domain() const
{
    return bareJid().section(QLatin1Char('@'), 1);
}

std::optional<ServerAddress> MessengerAccount::serverOverride() const
{
    return parseServerAddress(server, port);
}

CredentialKey MessengerAccount::credentialKey() const
{
    return CredentialKey{QStringLiteral("xmpp"), bareJid().toLower(), SettingsSection::keyPathOf(AccountSetting::section()),
                         AccountSetting::passwordKey()};
}

std::optional<MessengerAccount> MessengerAccount::load(Registry &registry, ErrorInfo &error)
{
    const SettingsSection section(registry, AccountSetting::section());
    const auto stored = [&section](const QString &key, const QString &fallback = QString()) {
        return section.text(key, fallback);
    };
    MessengerAccount account;
    account.jid = stored(AccountSetting::jidKey()).trimmed();
    account.server = stored(AccountSetting::serverKey()).trimmed();

    if (account.jid.isEmpty()) {
        fail(error, QStringLiteral("Es ist kein Messenger-Konto eingerichtet (die Jabber-ID fehlt)."));
        return std::nullopt;
    }
    if (!isUsableJid(account.bareJid())) {
        fail(error, QStringLiteral("Die Jabber-ID \"%1\" ist ungültig; erwartet wird name@server.").arg(account.jid));
        return std::nullopt;
    }
    const QString portText = stored(AccountSetting::portKey(), QStringLiteral("5222"));
    const std::optional<quint16> port = portFrom(portText);
    if (!port) {
        fail(error, QStringLiteral("Der Port \"%1\" des Messenger-Servers ist ungültig.").arg(portText));
        return std::nullopt;
    }
    account.port = *port;
    if (!account.server.isEmpty() && !account.serverOverride()) {
        fail(error, QStringLiteral("Der Server \"%1\" ist ungültig; erwartet wird name oder name:port.")
                        .arg(account.server));
        return std::nullopt;
    }
    // An unreadable value must not weaken the connection: it counts as "True".
    account.requireTls = settingToBool(stored(AccountSetting::requireTlsKey(), QStringLiteral("True"))).value_or(true);
    return account;
}

bool MessengerAccount::save(Registry &registry) const
{
    SettingsSection section(registry, AccountSetting::section());
    // Every key is written even after a refusal; the result tells whether all were.
    bool saved = section.setText(AccountSetting::jidKey(), jid);
    saved = section.setText(AccountSetting::serverKey(), server) && saved;
    saved = section.setText(AccountSetting::portKey(), intSetting(port)) && saved;
    saved = section.setText(AccountSetting::requireTlsKey(), boolSetting(requireTls)) && saved;
    return saved;
}

} // namespace tilvano::messenger
