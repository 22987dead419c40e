#include "common/ErrorLog.h"

#include "common/SettingsStore.h"
#include "system/DialogService.h"
#include "system/SystemServices.h"

#include <QDateTime>
#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tilvano {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString olderGeneration(const QString &logPath) { return logPath + QStringLiteral(".1"); }

bool sameFile(const struct stat &a, const struct stat &b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Every logged mail body lands in the log, so without a limit a flood of
// calls could fill the disk. Several programs write the same log: the lock
// lets one of them rename it, and only while the file at the path is still
// the full one that it opened, so a log just started is never taken for it.
void rotateWhenFull(const QString &path)
{
    const QByteArray nativePath = QFile::encodeName(path);
    struct stat atPath {};
    if (::stat(nativePath.constData(), &atPath) != 0 || !S_ISREG(atPath.st_mode) || atPath.st_size < logFileLimit)
        return;
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat opened {};
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_size >= logFileLimit) {
        while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
        if (::stat(nativePath.constData(), &atPath) == 0 && sameFile(atPath, opened))
            ::rename(nativePath.constData(), QFile::encodeName(olderGeneration(path)).constData());
    }
    ::close(fd);
}

} // namespace

bool WriteTextFile(const QString &path, const QString &text, bool overwrite)
{
    QFile file(path);
    const QIODevice::OpenMode mode = QIODevice::WriteOnly | (overwrite ? QIODevice::Truncate : QIODevice::Append);
    if (!file.open(mode, QFile::ReadOwner | QFile::WriteOwner))
        return false;
    const QByteArray bytes = (text + kCrLf).toUtf8();
    return file.write(bytes) == bytes.size() && file.flush();
}

bool LoggingEnabled()
{
    const QString value = GetSetting(settingsApplication(), QStringLiteral("StoredValues"),
                                     QStringLiteral("Logging"), QString());
    const std::optional<double> number = settingToDouble(value);
    return number && *number == 1.0;
}

QString LogFilePath()
{
    return GetSetting(settingsApplication(), QStringLiteral("StoredValues"), QStringLiteral("InstallPath"),
                      QString())
           + QStringLiteral("/protocol.log");
}

QString OldLogFilePath() { return olderGeneration(LogFilePath()); }

QString GeneralDateTimeText(const QDateTime &moment)
{
    // Qt's short German date has a two-digit year; the regional default has four.
    return moment.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString FormatLogLine(const QString &writerName, const QString &message)
{
    return GeneralDateTimeText(QDateTime::currentDateTime()) + QStringLiteral(": ") + writerName + QStringLiteral(" : ")
           + message;
}

void WriteLog(const QString &writerName, const QString &message)
{
    if (!LoggingEnabled())
        return;
    const QString path = LogFilePath();
    rotateWhenFull(path);
    WriteTextFile(path, FormatLogLine(writerName, message), false);
}

QString ErrorReportText(const ErrorInfo &error)
{
    return QStringLiteral("Es ist ein Fehler aufgetreten: ") + kCrLf
           + QStringLiteral("Fehlernummer: ") + QString::number(error.number) + kCrLf
           + QStringLiteral("Quelle: ") + error.source + QStringLiteral(" - Zeile: ")
           + QString::number(error.line) + kCrLf
           + QStringLiteral("Beschreibung: ") + error.description + kCrLf + kCrLf
           + QStringLiteral("Es wird empfohlen, das Programm zu beenden und neu zu starten.") + kCrLf;
}

void RaiseError(const QString &writerName, const ErrorInfo &error)
{
    const QString report = ErrorReportText(error);
    WriteLog(writerName, QStringLiteral("RaiseError: ") + report);
    SystemServices::dialogs().messageBox(report, QStringLiteral("Fehler!"),
                                         DialogService::OkOnly | DialogService::Critical);
}

QString SetLastErrorText(const ErrorInfo &error)
{
    return QStringLiteral("Kibo.Agent.SetLastError:  #") + QString::number(error.number)
           + QStringLiteral(" Source: ") + error.source + QStringLiteral(" - Line: ")
           + QString::number(error.line) + QStringLiteral(" - Desc: ") + error.description;
}

} // namespace tilvano
