#include "support/LoopbackServerProcess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>

#include <csignal>
#include <sys/prctl.h>

namespace tilvano::test {

LoopbackServerProcess::~LoopbackServerProcess()
{
    stop();
}

quint16 LoopbackServerProcess::freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

QString LoopbackServerProcess::tailOf(const QString &logPath)
{
    QFile file(logPath);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll().right(4000)) : QString();
}

bool LoopbackServerProcess::start(const QString &program, const QStringList &arguments, quint16 port, int timeoutMs)
{
    stop();
    m_error.clear();
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process->start(program, arguments);
    if (!m_process->waitForStarted(10000)) {
        m_error = program + QStringLiteral(": ") + m_process->errorString();
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (m_process->state() != QProcess::Running) {
            m_error = program + QStringLiteral(" ended: ") + QString::fromUtf8(m_process->readAll());
            return false;
        }
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(1000))
            return true;
        // Refused at once while the server is still loading; wait on the
        // process rather than spinning.
        m_process->waitForFinished(100);
    }
    m_error = program + QStringLiteral(" did not open its port in time");
    return false;
}

void LoopbackServerProcess::stop()
{
    if (!m_process)
        return;
    resume();
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(10000)) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
    }
    m_process.reset();
}

bool LoopbackServerProcess::isRunning() const
{
    return m_process && m_process->state() == QProcess::Running;
}

bool LoopbackServerProcess::freeze()
{
    return isRunning() && ::kill(pid_t(m_process->processId()), SIGSTOP) == 0;
}

bool LoopbackServerProcess::resume()
{
    return isRunning() && ::kill(pid_t(m_process->processId()), SIGCONT) == 0;
}

} // namespace tilvano::test
