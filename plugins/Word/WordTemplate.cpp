#include "plugins/Word/WordTemplate.h"

#include "common/FileHelpers.h"
#include "common/SettingsStore.h"
#include "common/basRegistry.h"
#include "system/InstallLayout.h"

namespace tilvano::word {

QString WordTemplate::findProgramDir()
{
    // Word 97 keeps its folder under 8.0, Word 2000 under 9.0; with both,
    // the older one is the one that was set up to load the template.
    for (const QLatin1StringView version : {QLatin1StringView("8.0"), QLatin1StringView("9.0")}) {
        const QString key = QStringLiteral("Software\\Microsoft\\Office\\%1\\Word\\Options").arg(version);
        QString dir = ReadRegValue(HKEY_CURRENT_USER, key, QStringLiteral("PROGRAMDIR")).toString();
        if (dir.isEmpty())
            continue;
        // The value normally ends with a separator; without one the template
        // would land beside Word's folder under a made-up name.
        if (!dir.endsWith(QLatin1Char('/')))
            dir += QLatin1Char('/');
        return dir;
    }
    return {};
}

WordTemplate::WordTemplate(const QString &programDir)
    : m_programDir(programDir)
{
}

QString WordTemplate::sourcePath()
{
    QString installPath = GetSetting(settingsApplication(), QStringLiteral("StoredValues"),
                                     QStringLiteral("InstallPath"));
    // Without a stored path the file name alone would be looked for in
    // whatever folder the host was started from.
    if (installPath.isEmpty())
        installPath = InstallLayout::installPath();
    return installPath + fileName();
}

QString WordTemplate::installedPath() const
{
    return wordFound() ? m_programDir + QStringLiteral("Startup/") + fileName() : QString();
}

bool WordTemplate::isInstalled() const
{
    return wordFound() && FileExists(installedPath());
}

void WordTemplate::install() const
{
    if (wordFound() && !isInstalled())
        CopyFileTo(sourcePath(), installedPath(), true);
}

void WordTemplate::remove() const
{
    if (isInstalled())
        RemoveFile(installedPath());
}

} // namespace tilvano::word
