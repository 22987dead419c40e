#pragma once

namespace tilvano {

// What the library does once per process, when the first object is created:
// it logs that it started and whether the hosting program was already running.
class LibraryStartup {
public:
    // Runs the start-up the first time it is called; later calls do nothing.
    static void ensureRun();
    // True when another process of this user runs the same program file as we do.
    static bool previousInstanceRunning();
};

} // namespace tilvano
