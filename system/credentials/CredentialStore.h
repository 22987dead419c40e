#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace tilvano {

// Which password: the account it opens, as the desktop's secret store files
// it, and where it lies in the private settings store on a desktop without one.
struct CredentialKey {
    QString service;           // what the password opens: "xmpp", "imap"
    QString user;              // the account there: "alice@example.org"
    QString fallbackKeyPath;   // "HKEY_CURRENT_USER\\Software\\Lorvat\\Messenger"
    QString fallbackValueName; // "Password"
};

// The store a password went to or came from.
enum class CredentialLocation {
    SecretService, // the desktop's secret store (GNOME Keyring, KWallet, ...)
    SettingsStore, // the private settings store: no secret store runs
};

struct CredentialResult {
    bool ok = false;    // false: error says why, in German
    bool found = false; // lookup: a password is stored
    QString password;   // lookup: the password, empty when none is stored
    CredentialLocation location = CredentialLocation::SettingsStore;
    QString error;
};

// Keeps account passwords where desktop users keep secrets: the freedesktop
// Secret Service. Only where none runs (no session bus, nobody owns or can
// start the service) does it fall back to the private settings store, and
// every result says which of the two it used. A secret store that runs but
// refuses (locked, the user dismissed the prompt) is a failure, never a
// reason to write the password down in clear text.
//
// The secret store is asked on a worker thread: it may take its time
// (start-up, an unlock prompt the user answers) and must never hold up the
// interface. The requests of the process run one after another, whole, so a
// lookup made after a store sees the new password. The settings store is
// only touched on the thread the requests are made on (the interface
// thread). Results come back on that thread, always after the call
// returned, and never once this object is gone; the request itself still
// completes then.
//
// A password found in the settings store while a secret store runs (left by
// an older version, or written while none ran) is moved into the secret store.
class CredentialStore : public QObject {
    Q_OBJECT
public:
    using Callback = std::function<void(const CredentialResult &)>;

    explicit CredentialStore(QObject *parent = nullptr);
    ~CredentialStore() override;

    // Stores the password for the account; an empty one clears it.
    void store(const CredentialKey &key, const QString &password, Callback done);
    // Looks the account's password up.
    void lookup(const CredentialKey &key, Callback done);
    // Forgets the account's password in both stores.
    void clear(const CredentialKey &key, Callback done);

    // German words for where the password is kept, for a settings page.
    static QString describe(CredentialLocation location);
};

} // namespace tilvano
