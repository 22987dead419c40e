#pragma once

#include "common/ErrorInfo.h"

#include <QString>

namespace tilvano::options {

// Whether the host starts when the user logs in: the value "Tilvano" of the
// current user's Run key, which the system registry mirrors to the desktop's
// autostart folder. An entry another tool made counts as well.
class StartupEntry {
public:
    // A non-empty value; a missing or unreadable one reads as not set.
    static bool isSet();
    // What the log-in runs: the host program of this installation.
    static QString command();
    // Writes the value (creating the key); a failure is returned, not shown.
    static ErrorInfo set(const QString &command);
    // Removes the value; removing one that is not there is no failure.
    static ErrorInfo clear();

    static QString runKey();
    static QString valueName();
};

} // namespace tilvano::options
