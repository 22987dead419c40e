#include "CharacterClientFactory.h"

#include "CharacterBusClient.h"

#include "platform/agent/AgentService.h"
#include "system/ServiceRegistry.h"

#include <QDBusConnection>
#include <QTextStream>

namespace tilvano::agent {

void installAgentClient()
{
    ServiceRegistry::installDefault<AgentControlFactory>([] {
        return std::make_unique<AgentControlFactory>([](QWidget *host) -> std::unique_ptr<AgentControl> {
            const QDBusConnection bus = QDBusConnection::sessionBus();
            if (bus.isConnected())
                return CharacterBusClient::create(bus);
            QTextStream(stderr) << "Kein Sitzungsbus: die Figur dieses Programms ist nur seine eigene.\n";
            return std::make_unique<AgentService>(host);
        });
    });
}

} // namespace tilvano::agent
