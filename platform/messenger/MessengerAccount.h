#pragma once

#include "common/ErrorInfo.h"
#include "system/credentials/CredentialStore.h"

#include <QString>

#include <optional>

namespace tilvano {
class Registry;
}

namespace tilvano::messenger {

// Where the account is kept: the section and its keys, shared with the
// settings page that edits the account.
namespace AccountSetting {
inline QString section() { return QStringLiteral("Messenger"); }
inline QString jidKey() { return QStringLiteral("Jid"); }
// Only where the desktop runs no secret store (see CredentialStore).
inline QString passwordKey() { return QStringLiteral("Password"); }
inline QString serverKey() { return QStringLiteral("Server"); }
inline QString portKey() { return QStringLiteral("Port"); }
inline QString requireTlsKey() { return QStringLiteral("RequireTls"); }
} // namespace AccountSetting

// A server to connect to by name or address, and its port.
struct ServerAddress {
    QString host;
    quint16 port = 5222;
    friend bool operator==(const ServerAddress &, const ServerAddress &) = default;
};

// The account the messenger logs on with, kept in the settings section
// "Messenger"; its password is kept by the credential store.
struct MessengerAccount {
    QString jid;
    QString password;    // not part of load() and save(): see credentialKey()
    QString server;      // optional: "host" or "host:port"; empty means the address's domain
    quint16 port = 5222; // for a server given without a port
    bool requireTls = true;

    QString bareJid() const;
    QString domain() const;
    // The server the user named instead of the one the address's domain
    // announces; nullopt when none (or none readable) is named.
    std::optional<ServerAddress> serverOverride() const;
    // Where the credential store keeps the password.
    CredentialKey credentialKey() const;

    // Reads the stored account. Without a usable one, fills error (number,
    // German description, source) and gives nullopt.
    static std::optional<MessengerAccount> load(Registry &registry, ErrorInfo &error);
    // False when the store refused a key.
    bool save(Registry &registry) const;
};

// "host", "host:port", "[v6-address]:port" or a bare v6 address, with the
// default port where none is given; nullopt for an empty text or a bad port.
std::optional<ServerAddress> parseServerAddress(const QString &text, quint16 defaultPort);

} // namespace tilvano::messenger
