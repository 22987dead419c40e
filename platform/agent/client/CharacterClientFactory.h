#pragma once

namespace tilvano::agent {

// Installs, as the program's default AgentControlFactory, one that hands out a client of the session's character server, which the
// session bus starts when it does not run yet. Programs other than the host call it once at
// start-up. Without a session bus a program gets a character service of its own.
void installAgentClient();

} // namespace tilvano::agent
