#pragma once

#include "system/credentials/CredentialStore.h"

#include <QString>

namespace tilvano {
class Registry;
}

namespace tilvano::mail {

// Where the mail application finds its store, read from section "Mail" of the
// Lorvat settings: a Maildir (filled by a sync tool or a delivery agent) or
// an IMAP account. Paths may start with "~"; relative paths are taken from
// the home folder, as a user typing them would expect. The IMAP password is
// not here: it lives in the credential store.
struct MailSettings {
    enum class Source { Maildir, Imap };
    enum class Security { Tls, StartTls, None };

    Source source = Source::Maildir;
    QString maildir;       // the inbox; Maildir++ subfolders live inside it
    QString sentFolder;    // relative to maildir unless absolute
    QString calendarDir;   // a vdir: one folder per calendar, one .ics per event
    QString syncCommand;   // run by send-and-receive; empty: only re-read

    QString imapHost;
    int imapPort = 993;
    Security imapSecurity = Security::Tls;
    QString imapUser;
    QString imapInbox;
    QString imapSentFolder;

    static MailSettings load(Registry &registry);
    // False when the store refused a key.
    bool save(Registry &registry) const;

    QString maildirPath() const;
    QString sentFolderPath() const;
    QString calendarPath() const;

    static QString expandHome(const QString &path);
    static int defaultPort(Security security) { return security == Security::Tls ? 993 : 143; }
    static QString sourceName(Source source);
    static QString securityName(Security security);
    // Where the account's password is filed.
    CredentialKey credentialKey() const;

    friend bool operator==(const MailSettings &, const MailSettings &) = default;
};

} // namespace tilvano::mail
