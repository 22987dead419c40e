#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>

namespace tilvano::test {

// A session bus of the test's own, configured like the build tree's, so that a client that
// needs the character server gets this build's host started by the bus. Programs the bus
// starts run with the environment given to start(); stop() ends them and the bus.
class PrivateSessionBus
{
public:
    PrivateSessionBus() = default;
    ~PrivateSessionBus() { stop(); }
    PrivateSessionBus(const PrivateSessionBus &) = delete;
    PrivateSessionBus &operator=(const PrivateSessionBus &) = delete;

    bool start(const QProcessEnvironment &environment);
    void stop();
    QString address() const { return m_address; }
    // A connection of its own under `name`; each is a separate client of the bus.
    QDBusConnection connect(const QString &name) const;
    // The process that owns `service` on this bus; 0 when nobody does.
    qint64 ownerProcess(const QString &service) const;
    // Ends the owner of `service` with `signal` and waits until it has left the bus.
    bool endOwner(const QString &service, int signal);

private:
    QProcess m_daemon;
    QString m_address;
};

} // namespace tilvano::test
