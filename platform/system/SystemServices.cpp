#include "platform/system/SystemServices.h"

#include "platform/system/QtDialogService.h"
#include "platform/system/RunKeyMirror.h"
#include "platform/system/ShellExecutor.h"
#include "platform/system/SqliteRegistry.h"
#include "platform/system/StoreProblemNotice.h"

#include <QApplication>

#include <memory>

namespace tilvano {

namespace {

struct Services {
    std::unique_ptr<Registry> registry;
    std::unique_ptr<DialogService> dialogs;
    std::unique_ptr<ShellExecutor> shell;
    Registry *registryOverride = nullptr;
    DialogService *dialogsOverride = nullptr;
    ShellExecutor *shellOverride = nullptr;
    StoreProblemNotice storeProblems;
};

Services &services()
{
    static Services instance;
    return instance;
}

} // namespace

Registry &SystemServices::registry()
{
    Services &s = services();
    if (s.registryOverride)
        return *s.registryOverride;
    if (!s.registry)
        s.registry = std::make_unique<RunKeyMirror>(std::make_unique<SqliteRegistry>(
            SqliteRegistry::defaultPath(), [](const StoreProblem &problem) { services().storeProblems.tell(problem); }));
    return *s.registry;
}

DialogService &SystemServices::dialogs()
{
    Services &s = services();
    if (s.dialogsOverride)
        return *s.dialogsOverride;
    if (!s.dialogs)
        s.dialogs = std::make_unique<QtDialogService>();
    return *s.dialogs;
}

ShellExecutor &SystemServices::shell()
{
    Services &s = services();
    if (s.shellOverride)
        return *s.shellOverride;
    if (!s.shell)
        s.shell = std::make_unique<ProcessShellExecutor>();
    return *s.shell;
}

bool SystemServices::userInterfaceAvailable()
{
    return services().dialogsOverride || qobject_cast<QApplication *>(QCoreApplication::instance());
}

void SystemServices::setRegistry(Registry *registry) { services().registryOverride = registry; }
void SystemServices::setDialogs(DialogService *dialogs) { services().dialogsOverride = dialogs; }
void SystemServices::setShell(ShellExecutor *shell) { services().shellOverride = shell; }

void SystemServices::resetForTesting()
{
    Services &s = services();
    s = Services{};
}

} // namespace tilvano
