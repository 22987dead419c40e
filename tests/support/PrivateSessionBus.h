#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QString>

namespace tilvano::test {

// A session bus of the test's own (dbus-daemon), so that tests running side
// by side and the user's own session never meet on one. address() is empty
// when no daemon could be started.
class PrivateSessionBus {
public:
    PrivateSessionBus() : PrivateSessionBus(QString(), QProcessEnvironment::systemEnvironment()) {}
    // configFile: a bus configuration of the build's, such as one that starts this build's
    // programs when a client asks for them; empty: a plain session bus. The programs the bus
    // starts run with `environment`.
    PrivateSessionBus(const QString &configFile, const QProcessEnvironment &environment)
    {
        const QString configuration
            = configFile.isEmpty() ? QStringLiteral("--session") : QStringLiteral("--config-file=") + configFile;
        m_daemon.setProcessEnvironment(environment);
        m_daemon.start(QStringLiteral("dbus-daemon"), {configuration, "--nofork", "--print-address=1"});
        if (!m_daemon.waitForStarted())
            return;
        const QDeadlineTimer deadline(10000);
        while (!m_daemon.canReadLine() && !deadline.hasExpired())
            m_daemon.waitForReadyRead(int(deadline.remainingTime()));
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateSessionBus()
    {
        if (m_daemon.state() == QProcess::NotRunning)
            return;
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(10000)) {
            m_daemon.kill();
            m_daemon.waitForFinished();
        }
    }
    PrivateSessionBus(const PrivateSessionBus &) = delete;
    PrivateSessionBus &operator=(const PrivateSessionBus &) = delete;

    QString address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};

} // namespace tilvano::test
