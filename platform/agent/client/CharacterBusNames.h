#pragma once

#include <QString>

namespace tilvano::agent::bus {

// Where the session's character server is reached. The host owns the name (the session bus
// starts it for a client that needs it); the server's object stands next to the host's own
// automation object.
inline QString serviceName() { return QStringLiteral("org.lorvat.Tilvano"); }
inline QString serverPath() { return QStringLiteral("/CharacterServer"); }
inline QString serverInterface() { return QStringLiteral("org.lorvat.Tilvano.CharacterServer"); }
// The program the name belongs to, started when the bus cannot start it itself.
inline QString serverProgram() { return QStringLiteral("tilvano"); }

} // namespace tilvano::agent::bus
