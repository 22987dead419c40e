#pragma once

#include <QIcon>

class QWidget;

namespace tilvano::ablaufwerk {

// The pictures on the editor's buttons. Where the style offers a fitting one
// it is used, so the editor looks at home on the desktop; the two line
// commands every action row carries are drawn here because no style has them.
class EditorIcons {
public:
    // Appends a line: lines of a list with a plus below.
    static QIcon insertLine();
    // Replaces the selected line: a list with its marked line and an arrow into it.
    static QIcon replaceLine();
    // The about box's picture: the character's stage with a play mark.
    static QPixmap emblem(int side);
};

} // namespace tilvano::ablaufwerk
