#pragma once

#include "common/ErrorInfo.h"

#include <QDateTime>
#include <QString>

namespace tilvano {

// Names the log lines carry: the deliverable that writes, whatever process hosts it.
namespace writer {
inline QString tilvano() { return QStringLiteral("Tilvano"); }
inline QString ablaufwerk() { return QStringLiteral("Ablaufwerk"); }
inline QString outlookPlugin() { return QStringLiteral("TilvanoOutlookPlugin"); }
inline QString messengerPlugin() { return QStringLiteral("TilvanoMessengerPlugin"); }
} // namespace writer

// Opens the file (overwrite: truncated; otherwise appended to, created when
// missing, private to the user), writes text and CR LF, closes it. False on any failure.
bool WriteTextFile(const QString &path, const QString &text, bool overwrite);

// Logging is on exactly when StoredValues\Logging, read as a number, is 1.
bool LoggingEnabled();
// InstallPath followed by "/protocol.log".
QString LogFilePath();
// The general date-and-time form of the German regional default, with the
// four-digit year: "07.12.2026 16:29:47". Log lines and "<NOW>" use it.
QString GeneralDateTimeText(const QDateTime &moment);
// "<date and time>: <writer> : <message>", without the line end.
QString FormatLogLine(const QString &writerName, const QString &message);

// Writes one line to protocol.log when logging is on. Never fails; a line that
// cannot be written is lost. A log that has reached logFileLimit bytes first
// becomes protocol.log.1 (replacing the one before), and a new log is started.
void WriteLog(const QString &writerName, const QString &message);
constexpr qint64 logFileLimit = 10 * 1024 * 1024;
// The log file's one older generation.
QString OldLogFilePath();

// The German report of a failure, every line ending in CR LF.
QString ErrorReportText(const ErrorInfo &error);
// Logs "RaiseError: " and the report, then shows it in a box titled "Fehler!"
// with a stop icon and an OK button, and returns when the user closed it.
void RaiseError(const QString &writerName, const ErrorInfo &error);

// The log text of a quietly recorded failure.
QString SetLastErrorText(const ErrorInfo &error);

} // namespace tilvano
