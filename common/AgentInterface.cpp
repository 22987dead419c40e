#include "common/AgentInterface.h"

#include "system/ServiceRegistry.h"

namespace tilvano {

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

AgentControlFactory &AgentControlFactory::current()
{
    return ServiceRegistry::get<AgentControlFactory>([] { return std::make_unique<AgentControlFactory>(); });
}

std::unique_ptr<AgentControl> createAgentControl(QWidget *host) { return AgentControlFactory::current().create(host); }

} // namespace tilvano
