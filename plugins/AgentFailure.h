#pragma once

#include "AgentCtl/Agent.h"
#include "common/ErrorInfo.h"

#include <utility>

namespace tilvano {

// Kibo traps its own failures and only records them as its LastError, so a
// caller that must stop at a failed call cannot see it from the call itself.
// This runs one call on Kibo and returns what it recorded, or no error. Kibo's
// LastError is left as it was before when the call succeeds, so that asking
// does not wipe an earlier failure the host may still want to read.
template <typename Call>
ErrorInfo failureOf(Agent &kibo, Call &&call)
{
    const ErrorInfo before = kibo.LastError();
    kibo.putLastError(ErrorInfo{});
    std::forward<Call>(call)();
    const ErrorInfo recorded = kibo.LastError();
    if (recorded.isError())
        return recorded;
    kibo.putLastError(before);
    return ErrorInfo{};
}

} // namespace tilvano
