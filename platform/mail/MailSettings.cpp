#include "platform/mail/MailSettings.h"

#include "common/SettingsStore.h"

#include <QDir>

namespace tilvano::mail {

namespace {
const QString kSection = QStringLiteral("Mail");
const QString kMaildir = QStringLiteral("Maildir");
const QString kSentFolder = QStringLiteral("SentFolder");
const QString kCalendarDir = QStringLiteral("CalendarDir");
const QString kSyncCommand = QStringLiteral("SyncCommand");
} // namespace

MailSettings MailSettings::load()
{
    const QString app = settingsApplication();
    MailSettings s;
    s.maildir = GetSetting(app, kSection, kMaildir, QStringLiteral("~/Maildir"));
    s.sentFolder = GetSetting(app, kSection, kSentFolder, QStringLiteral(".Sent"));
    s.calendarDir = GetSetting(app, kSection, kCalendarDir, QStringLiteral("~/.calendars"));
    s.syncCommand = GetSetting(app, kSection, kSyncCommand, QString());
    return s;
}

void MailSettings::save() const
{
    const QString app = settingsApplication();
    SaveSetting(app, kSection, kMaildir, maildir);
    SaveSetting(app, kSection, kSentFolder, sentFolder);
    SaveSetting(app, kSection, kCalendarDir, calendarDir);
    SaveSetting(app, kSection, kSyncCommand, syncCommand);
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
