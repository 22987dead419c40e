#pragma once

#include "common/ErrorInfo.h"

#include <QString>

namespace tilvano::mail {

// Runs the user's mail synchronisation command (mbsync -a, offlineimap,
// fetchmail, ...) and waits for it. The command line is split into program
// and arguments, never handed to a shell, so nothing in it is expanded. A
// command that cannot start, crashes, exits with a non-zero code or outlives
// the time limit is a failure, with a German description.
class SyncCommandRunner {
public:
    explicit SyncCommandRunner(int timeoutMs = 120000);

    // An empty command line does nothing and succeeds.
    ErrorInfo run(const QString &commandLine) const;

private:
    int m_timeoutMs;
};

} // namespace tilvano::mail
