#include "platform/mail/MailSettings.h"

#include "common/SettingsStore.h"

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

MailSettings MailSettings::load()
{
    const QString app = settingsApplication();
    MailSettings s;
    s.source = GetSetting(app, kSection, kSource).trimmed().compare(QLatin1String("imap"), Qt::CaseInsensitive) == 0
        ? Source::Imap
        : Source::Maildir;
    s.maildir = GetSetting(app, kSection, kMaildir, QStringLiteral("~/Maildir"));
    s.sentFolder = GetSetting(app, kSection, kSentFolder, QStringLiteral(".Sent"));
    s.calendarDir = GetSetting(app, kSection, kCalendarDir, QStringLiteral("~/.calendars"));
    s.syncCommand = GetSetting(app, kSection, kSyncCommand, QString());
    s.imapHost = GetSetting(app, kSection, kImapHost).trimmed();
    s.imapSecurity = securityFromName(GetSetting(app, kSection, kImapSecurity, QStringLiteral("tls")));
    const int port = GetSetting(app, kSection, kImapPort).trimmed().toInt();
    s.imapPort = port > 0 && port < 65536 ? port : defaultPort(s.imapSecurity);
    s.imapUser = GetSetting(app, kSection, kImapUser).trimmed();
    s.imapInbox = GetSetting(app, kSection, kImapInbox, QStringLiteral("INBOX")).trimmed();
    s.imapSentFolder = GetSetting(app, kSection, kImapSentFolder, QStringLiteral("Sent")).trimmed();
    return s;
}

void MailSettings::save() const
{
    const QString app = settingsApplication();
    SaveSetting(app, kSection, kSource, sourceName(source));
    SaveSetting(app, kSection, kMaildir, maildir);
    SaveSetting(app, kSection, kSentFolder, sentFolder);
    SaveSetting(app, kSection, kCalendarDir, calendarDir);
    SaveSetting(app, kSection, kSyncCommand, syncCommand);
    SaveSetting(app, kSection, kImapHost, imapHost);
    SaveSetting(app, kSection, kImapPort, QString::number(imapPort));
    SaveSetting(app, kSection, kImapSecurity, securityName(imapSecurity));
    SaveSetting(app, kSection, kImapUser, imapUser);
    SaveSetting(app, kSection, kImapInbox, imapInbox);
    SaveSetting(app, kSection, kImapSentFolder, imapSentFolder);
}

CredentialKey MailSettings::credentialKey() const
{
    return {QStringLiteral("imap"), imapUser + QLatin1Char('@') + imapHost,
            QStringLiteral("HKEY_CURRENT_USER\\Software\\Lorvat\\Mail"), QStringLiteral("ImapPassword")};
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
