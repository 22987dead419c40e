#include "BusOwner.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QTimer>

#include <csignal>

namespace tilvano::test {

namespace {
QDBusConnection watchingConnection(const QString &address)
{
    return QDBusConnection::connectToBus(address, QStringLiteral("bus-owner-watch"));
}
} // namespace

qint64 busOwnerProcess(const QString &address, const QString &service)
{
    QDBusConnection bus = watchingConnection(address);
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(service))
        return 0;
    const QDBusReply<uint> pid = bus.interface()->servicePid(service);
    return pid.isValid() ? qint64(pid.value()) : 0;
}

bool endBusOwner(const QString &address, const QString &service, int signal)
{
    const qint64 pid = busOwnerProcess(address, service);
    if (pid == 0)
        return true;
    QDBusConnection bus = watchingConnection(address);
    QDBusServiceWatcher watcher(service, bus, QDBusServiceWatcher::WatchForUnregistration);
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceUnregistered, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    ::kill(pid_t(pid), signal);
    if (bus.interface()->isServiceRegistered(service))
        loop.exec();
    return !bus.interface()->isServiceRegistered(service);
}

} // namespace tilvano::test
