#pragma once

#include "common/ErrorInfo.h"

#include <QString>

#include <optional>

namespace tilvano::messenger {

// Where the account is kept: the section and its keys, shared with the
// settings page that edits the account.
namespace AccountSetting {
inline QString section() { return QStringLiteral("Messenger"); }
inline QString jidKey() { return QStringLiteral("Jid"); }
inline QString passwordKey() { return QStringLiteral("Password"); }
inline QString serverKey() { return QStringLiteral("Server"); }
inline QString portKey() { return QStringLiteral("Port"); }
inline QString requireTlsKey() { return QStringLiteral("RequireTls"); }
} // namespace AccountSetting

// The account the messenger logs on with, kept in the settings section
// "Messenger". The password lives only there: the store is private to the
// user (mode 0600) and nothing else ever writes it down.
struct MessengerAccount {
    QString jid;
    QString password;
    QString server;      // host to connect to; empty means the address's domain
    quint16 port = 5222;
    bool requireTls = true;

    QString bareJid() const;
    QString domain() const;
    QString host() const { return server.isEmpty() ? domain() : server; }

    // Reads the stored account. Without a usable one, fills error (number,
    // German description, source) and gives nullopt.
    static std::optional<MessengerAccount> load(ErrorInfo &error);
    void save() const;
};

} // namespace tilvano::messenger
