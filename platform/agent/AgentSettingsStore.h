#pragma once

#include "AgentSettings.h"

#include <QString>

namespace tilvano {
class Registry;
}

namespace tilvano::agent {

// Keeps the service's settings in the per-user registry, so what the user chose in the
// settings dialog holds for the next start as well.
class AgentSettingsStore
{
public:
    static inline const QString KeyPath = QStringLiteral("HKEY_CURRENT_USER\\Software\\Tilvano\\Figurendienst");

    explicit AgentSettingsStore(Registry &registry) : m_registry(registry) {}

    // Missing or unreadable values keep their defaults.
    AgentSettings load();
    bool save(const AgentSettings &settings);

private:
    Registry &m_registry;
};

} // namespace tilvano::agent
