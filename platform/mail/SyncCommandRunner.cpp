#include "platform/mail/SyncCommandRunner.h"

#include "platform/mail/MailErrors.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tilvano::mail {

namespace {

// The last non-empty line a failing tool wrote: usually its reason.
QString lastLine(const QByteArray &output)
{
    const QList<QByteArray> lines = output.trimmed().split('\n');
    const QString line = lines.isEmpty() ? QString() : QString::fromUtf8(lines.last()).simplified();
    return line.left(200);
}

ErrorInfo syncFailure(const QString &text)
{
    return mailError(MailError::SyncFailed, text);
}

} // namespace

SyncCommandRunner::SyncCommandRunner(int timeoutMs, QObject *parent)
    : QObject(parent)
    , m_timeoutMs(timeoutMs)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (!m_process)
            return;
        m_timedOut = true;
        m_process->kill(); // finished() follows
    });
}

SyncCommandRunner::~SyncCommandRunner()
{
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

QStringList SyncCommandRunner::splitCommandLine(const QString &commandLine)
{
    QStringList words = QProcess::splitCommand(commandLine);
    for (QString &word : words) {
        if (word == QLatin1String("~"))
            word = QDir::homePath();
        else if (word.startsWith(QLatin1String("~/")))
            word = QDir::homePath() + word.mid(1);
    }
    return words;
}

ErrorInfo SyncCommandRunner::start(const QString &commandLine)
{
    if (m_running)
        return syncFailure(QStringLiteral("Es werden gerade Mails abgerufen."));
    QStringList arguments = splitCommandLine(commandLine);
    if (arguments.isEmpty()) {
        m_running = true;
        QMetaObject::invokeMethod(this, [this] { finish({}); }, Qt::QueuedConnection);
        return {};
    }
    m_program = arguments.takeFirst();
    const QString found = m_program.contains(QLatin1Char('/'))
        ? (QFileInfo(m_program).isExecutable() && QFileInfo(m_program).isFile() ? m_program : QString())
        : QStandardPaths::findExecutable(m_program);
    if (found.isEmpty()) {
        return syncFailure(
            QStringLiteral("Der Abgleichsbefehl „%1“ konnte nicht gestartet werden.").arg(m_program));
    }
    m_running = true;
    m_timedOut = false;
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    m_process->setStandardInputFile(QProcess::nullDevice());
    connect(m_process.get(), &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            finish(syncFailure(
                QStringLiteral("Der Abgleichsbefehl \u201E%1\u201C konnte nicht gestartet werden.").arg(m_program)));
        }
    });
    connect(m_process.get(), &QProcess::finished, this, &SyncCommandRunner::processFinished);
    m_deadline.start(m_timeoutMs);
    m_process->start(found, arguments);
    return {};
}

void SyncCommandRunner::processFinished(int exitCode, QProcess::ExitStatus status)
{
    if (m_timedOut) {
        finish(syncFailure(QStringLiteral("Der Abgleichsbefehl \u201E%1\u201C wurde nach %2 Sekunden abgebrochen.")
                               .arg(m_program)
                               .arg(m_timeoutMs / 1000)));
        return;
    }
    if (status != QProcess::NormalExit) {
        finish(syncFailure(QStringLiteral("Der Abgleichsbefehl \u201E%1\u201C ist abgest\u00FCrzt.").arg(m_program)));
        return;
    }
    if (exitCode != 0) {
        QString description = QStringLiteral("Der Abgleichsbefehl \u201E%1\u201C endete mit dem Fehlercode %2.")
                                  .arg(m_program)
                                  .arg(exitCode);
        const QString reason = lastLine(m_process->readAllStandardError());
        if (!reason.isEmpty())
            description += QLatin1Char(' ') + reason;
        finish(syncFailure(description));
        return;
    }
    finish({});
}

void SyncCommandRunner::finish(const ErrorInfo &result)
{
    m_deadline.stop();
    if (m_process) {
        m_process->disconnect(this);
        // Deleted from the event loop: this may run inside its own signal.
        m_process.release()->deleteLater();
    }
    m_running = false;
    emit finished(result);
}

} // namespace tilvano::mail
