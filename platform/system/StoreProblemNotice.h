#pragma once

#include "platform/system/SqliteRegistry.h"

#include <QSet>
#include <QString>

namespace tilvano {

// Tells the user that the settings store lost their settings or cannot keep
// them, once per run for each kind of problem: a store that fails keeps failing,
// and a box per save would bury the desktop.
//
// Always on standard error; in a box as well where the program has a user
// interface. The box is shown from the event loop, never from inside the call
// that met the problem, which may itself be running inside a bus call or a box.
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
