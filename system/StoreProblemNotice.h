#pragma once

#include "system/SqliteRegistry.h"

#include <QSet>
#include <QString>

namespace tilvano {

// Tells the user that the settings store lost their settings or cannot keep
// them, once per run for each kind of problem: a store that fails keeps failing,
// and a box per save would bury the desktop.
//
// Always on standard error; in a notice box as well where the program has a
// user interface. The box waits for nothing (it may come up while the program
// is still starting, or inside a bus call), and it is shown from the event
// loop of the interface thread, after the call that met the problem.
class StoreProblemNotice {
public:
    void tell(const StoreProblem &problem);

    // The German text for the user.
    static QString text(const StoreProblem &problem);
    static QString title();

private:
    QSet<int> m_told; // kinds
};

} // namespace tilvano
