#include "Ablaufwerk/EditorHelp.h"

#include "common/ErrorInfo.h"
#include "common/ErrorLog.h"
#include "common/SettingsStore.h"
#include "common/mShellExecute.h"
#include "system/InstallLayout.h"

namespace tilvano::ablaufwerk {

namespace {

// The show mode the shell gets for documents the user asked to see.
constexpr qint32 showDefault = 10;

bool openDocument(const QString &document)
{
    ErrorInfo error;
    if (ShellOpen(document, showDefault, QString(), QString(), QStringLiteral("open"), error, writer::ablaufwerk()))
        return true;
    WriteLog(writer::ablaufwerk(), SetLastErrorText(error));
    return false;
}

} // namespace

QString EditorHelp::helpPagePath()
{
    QString installPath = GetSetting(settingsApplication(), QStringLiteral("StoredValues"), QStringLiteral("InstallPath"));
    if (installPath.isEmpty())
        installPath = InstallLayout::installPath();
    return installPath + QStringLiteral("help/ablaufwerk.html");
}

bool EditorHelp::openHelpPage() { return openDocument(helpPagePath()); }

bool EditorHelp::openWebPage() { return openDocument(webPageAddress()); }

} // namespace tilvano::ablaufwerk
