#include "PrivateSessionBus.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QDBusServiceWatcher>
#include <QTimer>

#include <csignal>

namespace tilvano::test {

bool PrivateSessionBus::start(const QProcessEnvironment &environment)
{
    m_daemon.setProcessEnvironment(environment);
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=" TILVANO_DBUS_SESSION_CONFIG), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
    if (!m_daemon.waitForStarted())
        return false;
    const QDeadlineTimer deadline(10000);
    while (!m_daemon.canReadLine() && !deadline.hasExpired())
        m_daemon.waitForReadyRead(int(deadline.remainingTime()));
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    return !m_address.isEmpty();
}

QDBusConnection PrivateSessionBus::connect(const QString &name) const
{
    return QDBusConnection::connectToBus(m_address, name);
}

qint64 PrivateSessionBus::ownerProcess(const QString &service) const
{
    QDBusConnection bus = connect(QStringLiteral("private-bus-watch"));
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(service))
        return 0;
    const QDBusReply<uint> pid = bus.interface()->servicePid(service);
    return pid.isValid() ? qint64(pid.value()) : 0;
}

bool PrivateSessionBus::endOwner(const QString &service, int signal)
{
    const qint64 pid = ownerProcess(service);
    if (pid == 0)
        return true;
    QDBusConnection bus = connect(QStringLiteral("private-bus-watch"));
    QDBusServiceWatcher watcher(service, bus, QDBusServiceWatcher::WatchForUnregistration);
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceUnregistered, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    ::kill(pid_t(pid), signal);
    if (bus.interface()->isServiceRegistered(service))
        loop.exec();
    return !bus.interface()->isServiceRegistered(service);
}

void PrivateSessionBus::stop()
{
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    endOwner(QStringLiteral("org.lorvat.Tilvano"), SIGTERM);
    QDBusConnection::disconnectFromBus(QStringLiteral("private-bus-watch"));
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(10000)) {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
}

} // namespace tilvano::test
