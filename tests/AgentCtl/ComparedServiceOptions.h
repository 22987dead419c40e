#pragma once

#include "platform/agent/AgentService.h"

namespace tilvano::test {

// The real service as the behavioural suite compares it, in the test's process or behind the
// bus: time moves only when the suite moves it, and nothing depends on a sound server.
inline agent::AgentServiceOptions comparedServiceOptions()
{
    agent::AgentServiceOptions options;
    options.clockMode = agent::AgentClock::Mode::Manual;
    options.randomSeed = 7;
    options.idle.firstDelayMs = 24 * 3600 * 1000; // idling is not what is compared
    agent::AgentSettings settings;
    settings.speechOutput = false; // sentences paced on the clock
    options.settings = settings;
    return options;
}

} // namespace tilvano::test
