#pragma once

namespace tilvano {

class Registry;
class DialogService;
class ShellExecutor;

// The system stand-ins as the process finds them in the ServiceRegistry: a
// double or a program's own where one was put in place (ServiceRegistry::replace),
// else the real one, made on first use.
class SystemServices {
public:
    static Registry &registry();
    static DialogService &dialogs();
    static ShellExecutor &shell();

    // Whether boxes can be shown: a program with widgets, or a test that put
    // its own dialog service in place. Command-line tools have none.
    static bool userInterfaceAvailable();
};

} // namespace tilvano
