#include "common/AgentInterface.h"

namespace tilvano {

namespace {
AgentControlFactory &installedFactory()
{
    static AgentControlFactory factory;
    return factory;
}
} // namespace

void setAgentControlFactory(AgentControlFactory factory) { installedFactory() = std::move(factory); }

bool hasAgentControlFactory() { return static_cast<bool>(installedFactory()); }

std::unique_ptr<AgentControl> createAgentControl(QWidget *host)
{
    const AgentControlFactory &factory = installedFactory();
    if (!factory)
        return nullptr;
    return factory(host);
}

} // namespace tilvano
