#pragma once

namespace tilvano {

class Registry;
class DialogService;
class ShellExecutor;

// The process's system stand-ins. Programs use the real ones, created on first
// use; tests put doubles in their place. Setters do not take ownership.
class SystemServices {
public:
    static Registry &registry();
    static DialogService &dialogs();
    static ShellExecutor &shell();

    // Whether boxes can be shown: a program with widgets, or a test that put
    // its own dialog service in place. Command-line tools have none.
    static bool userInterfaceAvailable();

    static void setRegistry(Registry *registry);
    static void setDialogs(DialogService *dialogs);
    static void setShell(ShellExecutor *shell);

    // Forgets every double and closes the real instances, so that the next use
    // opens them afresh (for example after a test changed XDG_CONFIG_HOME).
    static void resetForTesting();
};

} // namespace tilvano
