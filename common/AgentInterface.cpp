#include "common/AgentInterface.h"

namespace tilvano {

namespace {
AgentControlFactory &installedFactory()
{
    static AgentControlFactory factory;
    return factory;
}
} // namespace

ErrorInfo AgentControl::replace(const QString &characterId, const QString &file)
{
    if (!character(characterId))
        return load(characterId, file);
    // Tried under an identifier of its own first, so that a file that cannot
    // be loaded never costs the character that is there.
    const QString trial = characterId + QStringLiteral(".trial");
    const ErrorInfo tried = load(trial, file);
    unload(trial);
    if (tried.isError() && tried.number != AgentErrorAlreadyLoaded)
        return tried;
    unload(characterId);
    return load(characterId, file);
}

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
