#include "platform/mail/SyncCommandRunner.h"

#include "platform/mail/MailErrors.h"

#include <QProcess>

namespace tilvano::mail {

namespace {

// The last non-empty line a failing tool wrote: usually its reason.
QString lastLine(const QByteArray &output)
{
    const QList<QByteArray> lines = output.trimmed().split('\n');
    const QString line = lines.isEmpty() ? QString() : QString::fromUtf8(lines.last()).simplified();
    return line.left(200);
}

} // namespace

SyncCommandRunner::SyncCommandRunner(int timeoutMs)
    : m_timeoutMs(timeoutMs)
{
}

ErrorInfo SyncCommandRunner::run(const QString &commandLine) const
{
    QStringList arguments = QProcess::splitCommand(commandLine);
    if (arguments.isEmpty())
        return {};
    const QString program = arguments.takeFirst();

    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted()) {
        return mailError(MailError::SyncFailed,
                         QStringLiteral("Der Abgleichsbefehl \u201E%1\u201C konnte nicht gestartet werden.")
                             .arg(program));
    }
    if (!process.waitForFinished(m_timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        return mailError(MailError::SyncFailed,
                         QStringLiteral("Der Abgleichsbefehl \u201E%1\u201C wurde nach %2 Sekunden abgebrochen.")
                             .arg(program)
                             .arg(m_timeoutMs / 1000));
    }
    if (process.exitStatus() != QProcess::NormalExit) {
        return mailError(MailError::SyncFailed,
                         QStringLiteral("Der Abgleichsbefehl \u201E%1\u201C ist abgest\u00FCrzt.").arg(program));
    }
    if (process.exitCode() != 0) {
        QString description = QStringLiteral("Der Abgleichsbefehl \u201E%1\u201C endete mit dem Fehlercode %2.")
                                  .arg(program)
                                  .arg(process.exitCode());
        const QString reason = lastLine(process.readAllStandardError());
        if (!reason.isEmpty())
            description += QLatin1Char(' ') + reason;
        return mailError(MailError::SyncFailed, description);
    }
    return {};
}

} // namespace tilvano::mail
