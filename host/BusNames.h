#pragma once

#include "platform/agent/client/CharacterBusNames.h"

#include <QString>

namespace tilvano::host {

// Where the host's character can be reached on the session bus. The host and
// kibo must agree on these, so they live in one place; the name is the one the
// character server's clients look for.
inline QString busServiceName() { return agent::bus::serviceName(); }
inline QString busObjectPath() { return QStringLiteral("/Kibo"); }
inline QString busInterfaceName() { return QStringLiteral("org.lorvat.Tilvano.Agent"); }
// The error a call answers with when the character recorded a failure during it.
inline QString busFailureName() { return QStringLiteral("org.lorvat.Tilvano.Agent.Failed"); }

} // namespace tilvano::host
