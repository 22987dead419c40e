#include "platform/mail/MailSettings.h"

#include "system/SettingsSection.h"

#include <QDir>

namespace tilvano::mail {

namespace {
const QString kSection = QStringLiteral("Mail");
const QString kSource = QStringLiteral("Source");
const QString kMaildir = QStringLiteral("Maildir");
const QString kSentFolder = QStringLiteral("SentFolder");
const QString kCalendarDir = QStringLiteral("CalendarDir");
const QString kSyncCommand = QStringLiteral("SyncCommand");
const QString kImapHost = QStringLiteral("ImapHost");
const QString kImapPort = QStringLiteral("ImapPort");
const QString kImapSecurity = QStringLiteral("ImapSecurity");
const QString kImapUser = QStringLiteral("ImapUser");
const QString kImapInbox = QStringLiteral("ImapInbox");
const QString kImapSentFolder = QStringLiteral("ImapSentFolder");

MailSettings::Security securityFromName(const QString &name)
{
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("starttls"))
        return MailSettings::Security::StartTls;
    if (n == QLatin1String("none"))
        return MailSettings::Security::None;
    return MailSettings::Security::Tls;
}
} // namespace

QString MailSettings::sourceName(Source source)
{
    return source == Source::Imap ? QStringLiteral("imap") : QStringLiteral("maildir");
}

QString MailSettings::securityName(Security security)
{
    switch (security) {
    case Security::StartTls:
        return QStringLiteral("starttls");
    case Security::None:
        return QStringLiteral("none");
    case Security::Tls:
        break;
    }
    return QStringLiteral("tls");
}

MailSettings MailSettings::load(Registry &registry)
{
    const SettingsSection stored(registry, kSection);
    MailSettings s;
    s.source = stored.text(kSource).trimmed().compare(QLatin1String("imap"), Qt::CaseInsensitive) == 0
        ? Source::Imap
        : Source::Maildir;
    s.maildir = stored.text(kMaildir, QStringLiteral("~/Maildir"));
    s.sentFolder = stored.text(kSentFolder, QStringLiteral(".Sent"));
    s.calendarDir = stored.text(kCalendarDir, QStringLiteral("~/.calendars"));
    s.syncCommand = stored.text(kSyncCommand);
    s.imapHost = stored.text(kImapHost).trimmed();
    s.imapSecurity = securityFromName(stored.text(kImapSecurity, QStringLiteral("tls")));
    const int port = stored.text(kImapPort).trimmed().toInt();
    s.imapPort = port > 0 && port < 65536 ? port : defaultPort(s.imapSecurity);
    s.imapUser = stored.text(kImapUser).trimmed();
    s.imapInbox = stored.text(kImapInbox, QStringLiteral("INBOX")).trimmed();
    s.imapSentFolder = stored.text(kImapSentFolder, QStringLiteral("Sent")).trimmed();
    return s;
}

bool MailSettings::save(Registry &registry) const
{
    SettingsSection stored(registry, kSection);
    // Every key is written even after a refusal, so that as much as the
    // store takes is kept; the result tells whether all of it was.
    bool saved = stored.setText(kSource, sourceName(source));
    saved = stored.setText(kMaildir, maildir) && saved;
    saved = stored.setText(kSentFolder, sentFolder) && saved;
    saved = stored.setText(kCalendarDir, calendarDir) && saved;
    saved = stored.setText(kSyncCommand, syncCommand) && saved;
    saved = stored.setText(kImapHost, imapHost) && saved;
    saved = stored.setText(kImapPort, QString::number(imapPort)) && saved;
    saved = stored.setText(kImapSecurity, securityName(imapSecurity)) && saved;
    saved = stored.setText(kImapUser, imapUser) && saved;
    saved = stored.setText(kImapInbox, imapInbox) && saved;
    saved = stored.setText(kImapSentFolder, imapSentFolder) && saved;
    return saved;
}

CredentialKey MailSettings::credentialKey() const
{
    return {QStringLiteral("imap"), imapUser + QLatin1Char('@') + imapHost, SettingsSection::keyPathOf(kSection),
            QStringLiteral("ImapPassword")};
}

QString MailSettings::expandHome(const QString &path)
{
    const QString trimmed = path.trimmed();
    if (trimmed.isEmpty())
        return QString();
    if (trimmed == QLatin1String("~"))
        return QDir::homePath();
    if (trimmed.startsWith(QLatin1String("~/")))
        return QDir::cleanPath(QDir::homePath() + trimmed.mid(1));
    if (QDir::isRelativePath(trimmed))
        return QDir::cleanPath(QDir::homePath() + QLatin1Char('/') + trimmed);
    return QDir::cleanPath(trimmed);
}

QString MailSettings::maildirPath() const
{
    return expandHome(maildir);
}

QString MailSettings::sentFolderPath() const
{
    const QString folder = sentFolder.trimmed();
    if (folder.isEmpty())
        return QString();
    if (folder.startsWith(QLatin1Char('~')) || QDir::isAbsolutePath(folder))
        return expandHome(folder);
    return QDir::cleanPath(maildirPath() + QLatin1Char('/') + folder);
}

QString MailSettings::calendarPath() const
{
    return expandHome(calendarDir);
}

} // namespace tilvano::mail
