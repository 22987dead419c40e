#pragma once

#include <QString>

namespace tilvano::ablaufwerk {

// The editor's help page and the project's web page, opened with whatever the
// desktop uses for them.
class EditorHelp {
public:
    // The installed help page of the editor. Without a stored install folder
    // (the companion never ran) the folder next to this program is used.
    static QString helpPagePath();
    static bool openHelpPage();

    static QString webPageAddress() { return QStringLiteral("https://www.lorvat.de/tilvano/"); }
    static bool openWebPage();
};

} // namespace tilvano::ablaufwerk
