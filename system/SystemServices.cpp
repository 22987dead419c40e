#include "system/SystemServices.h"

#include "system/QtDialogService.h"
#include "system/RunKeyMirror.h"
#include "system/ServiceRegistry.h"
#include "system/ShellExecutor.h"
#include "system/SqliteRegistry.h"
#include "system/StoreProblemNotice.h"

#include <QApplication>

#include <memory>

namespace tilvano {

namespace {

// Told once per run (and once again after a reset), however often the store fails.
StoreProblemNotice &storeProblems()
{
    return ServiceRegistry::get<StoreProblemNotice>([] { return std::make_unique<StoreProblemNotice>(); });
}

} // namespace

Registry &SystemServices::registry()
{
    return ServiceRegistry::get<Registry>([]() -> std::unique_ptr<Registry> {
        return std::make_unique<RunKeyMirror>(std::make_unique<SqliteRegistry>(
            SqliteRegistry::defaultPath(), [](const StoreProblem &problem) { storeProblems().tell(problem); }));
    });
}

DialogService &SystemServices::dialogs()
{
    return ServiceRegistry::get<DialogService>([] { return std::make_unique<QtDialogService>(); });
}

ShellExecutor &SystemServices::shell()
{
    return ServiceRegistry::get<ShellExecutor>([] { return std::make_unique<ProcessShellExecutor>(); });
}

bool SystemServices::userInterfaceAvailable()
{
    return ServiceRegistry::isReplaced<DialogService>() || qobject_cast<QApplication *>(QCoreApplication::instance());
}

} // namespace tilvano
