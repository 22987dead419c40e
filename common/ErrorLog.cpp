#include "common/ErrorLog.h"

#include "common/SettingsStore.h"
#include "platform/system/DialogService.h"
#include "platform/system/SystemServices.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

namespace tilvano {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
}

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

QString FormatLogLine(const QString &writerName, const QString &message)
{
    // The locale's general form: short date and the time with seconds.
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t')).replace(QStringLiteral("  "), QStringLiteral(" "));
    const QString stamp = locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ')
                          + locale.toString(now.time(), timeFormat.trimmed());
    return stamp + QStringLiteral(": ") + writerName + QStringLiteral(" : ") + message;
}

void WriteLog(const QString &writerName, const QString &message)
{
    if (!LoggingEnabled())
        return;
    WriteTextFile(LogFilePath(), FormatLogLine(writerName, message), false);
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
