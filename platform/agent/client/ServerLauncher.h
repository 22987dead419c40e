#pragma once

#include <QDBusConnection>

namespace tilvano::agent {

// Makes sure the session's character server runs. The session bus starts it from its service
// file; where the bus knows no such file (a build tree, or a prefix outside the bus's search
// path) the program next to ours is started instead, and waited for until it owns its name.
class ServerLauncher
{
public:
    explicit ServerLauncher(QDBusConnection bus) : m_bus(std::move(bus)) {}

    // False when the server does not run and could not be started in time.
    bool ensureRunning(int timeoutMs = 30000);

private:
    bool startProgram(int timeoutMs);

    QDBusConnection m_bus;
};

} // namespace tilvano::agent
