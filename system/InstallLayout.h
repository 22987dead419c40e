#pragma once

#include <QIcon>
#include <QString>

namespace tilvano {

// Where the installed pieces are, found from the location of this library, so
// that the build tree runs in place and any install prefix gives the same layout:
// <prefix>/bin, <prefix>/lib/tilvano, <prefix>/lib/tilvano/plugins, <prefix>/share/tilvano.
class InstallLayout {
public:
    static QString prefix();
    static QString binDir();
    static QString libDir();
    static QString pluginDir();
    static QString dataDir();
    // The data folder with a trailing separator, as InstallPath is stored.
    static QString installPath();
    // A program of ours, e.g. "ablaufwerk" -> <prefix>/bin/ablaufwerk.
    static QString program(const QString &name);
    // <prefix>/share/icons/hicolor, where the build draws the programs' icons.
    static QString iconThemeDir();
    // The companion's icon at every size the build drew; null when none is there.
    static QIcon applicationIcon();
};

} // namespace tilvano
