#include "ServerLauncher.h"

#include "CharacterBusNames.h"

#include "system/InstallLayout.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

namespace tilvano::agent {

bool ServerLauncher::ensureRunning(int timeoutMs)
{
    QDBusConnectionInterface *bus = m_bus.interface();
    if (!m_bus.isConnected() || !bus)
        return false;
    if (bus->isServiceRegistered(bus::serviceName()))
        return true;
    QDBusMessage start = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                                        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("StartServiceByName"));
    start.setArguments({bus::serviceName(), 0u});
    const QDBusMessage started = m_bus.call(start, QDBus::Block, timeoutMs);
    if (started.type() == QDBusMessage::ReplyMessage)
        return true;
    // Without a service file the bus cannot start it; anything else is a start that failed.
    if (QDBusError(started).type() != QDBusError::ServiceUnknown)
        return false;
    return startProgram(timeoutMs);
}

bool ServerLauncher::startProgram(int timeoutMs)
{
    const QString program = InstallLayout::program(bus::serverProgram());
    if (!QFileInfo(program).isExecutable())
        return false;
    QDBusServiceWatcher watcher(bus::serviceName(), m_bus, QDBusServiceWatcher::WatchForRegistration);
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    // The server lives on after this program; it is nobody's child.
    if (!QProcess::startDetached(program, {}))
        return false;
    // It may have taken the name before the watch began.
    if (!m_bus.interface()->isServiceRegistered(bus::serviceName()))
        loop.exec();
    return m_bus.interface()->isServiceRegistered(bus::serviceName());
}

} // namespace tilvano::agent
