#pragma once

#include <QRect>
#include <QSize>

namespace tilvano::ablaufwerk {

// Where the controls that follow the window's size stand, in twips, relative
// to the window's working area. Everything else keeps its design place.
struct EditorControlGeometry {
    QRect makroCombo;
    QRect btnDeleteMacro;
    QRect lstMacro;
    QRect btnOrderUp;
    QRect btnOrderDown;
    QRect btnDeleteLine;
    QRect rightFrame;

    friend bool operator==(const EditorControlGeometry &, const EditorControlGeometry &) = default;
};

// The window's size before the user or the stored placement touched it.
QSize designWindowSize();
// The controls as they stand in a window of the design size.
EditorControlGeometry designControlGeometry();

// The controls after the window was resized to `window` (outer size, twips).
// The action frame and the line buttons stay flush to the right edge, the line
// list takes the width left over. A window too narrow or too low for the list
// keeps the list's (and the frame's) last width or height rather than making
// them vanish, so growing the window again restores a sensible layout.
EditorControlGeometry applyResizeRule(const EditorControlGeometry &current, QSize window);

} // namespace tilvano::ablaufwerk
