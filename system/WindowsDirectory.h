#pragma once

#include <QString>

namespace tilvano {

// The per-user folder that stands where programs expect the Windows directory:
// $XDG_DATA_HOME/tilvano, created (private to the user) on first use.
class WindowsDirectory {
public:
    static QString path();
    // <path>/msagent/chars/ with a trailing separator. On first use, the
    // characters we ship are copied into it when the user has none of that name.
    static QString characterFolder();
};

} // namespace tilvano
