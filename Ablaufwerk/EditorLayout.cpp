#include "Ablaufwerk/EditorLayout.h"

namespace tilvano::ablaufwerk {

namespace {

// The part of the window width that belongs to the action frame and the line
// buttons, and the part of the height taken by menu, tool row and status bar.
constexpr int frameReach = 6000;
constexpr int lineButtonReach = 6450;
constexpr int listWidthReserve = 6585;
constexpr int heightReserve = 1350;
constexpr int deleteMacroReach = 450;

constexpr int buttonSide = 360;
constexpr int listTop = 540;
constexpr int margin = 60;

} // namespace

QSize designWindowSize() { return {12000, 7500}; }

EditorControlGeometry designControlGeometry()
{
    const QSize window = designWindowSize();
    EditorControlGeometry design;
    design.btnDeleteMacro = QRect(window.width() - deleteMacroReach, margin, buttonSide, buttonSide);
    design.makroCombo = QRect(design.btnDeleteMacro.left() - 3600, margin, 3600, buttonSide);
    design.lstMacro = QRect(margin, listTop, window.width() - listWidthReserve, window.height() - heightReserve);
    const int lineButtonLeft = window.width() - lineButtonReach;
    design.btnOrderUp = QRect(lineButtonLeft, listTop, buttonSide, buttonSide);
    design.btnOrderDown = QRect(lineButtonLeft, listTop + buttonSide + margin, buttonSide, buttonSide);
    design.btnDeleteLine = QRect(lineButtonLeft, listTop + 3 * (buttonSide + margin), buttonSide, buttonSide);
    design.rightFrame = QRect(window.width() - frameReach, listTop - margin, frameReach - 150,
                              window.height() - heightReserve);
    return design;
}

EditorControlGeometry applyResizeRule(const EditorControlGeometry &current, QSize window)
{
    const int width = window.width();
    const int height = window.height();
    EditorControlGeometry next = current;
    next.rightFrame.moveLeft(width - frameReach);
    for (QRect *button : {&next.btnOrderDown, &next.btnOrderUp, &next.btnDeleteLine})
        button->moveLeft(width - lineButtonReach);
    if (width > listWidthReserve)
        next.lstMacro.setWidth(width - listWidthReserve);
    if (height > heightReserve) {
        next.lstMacro.setHeight(height - heightReserve);
        next.rightFrame.setHeight(height - heightReserve);
    }
    next.btnDeleteMacro.moveLeft(width - deleteMacroReach);
    next.makroCombo.moveLeft(next.btnDeleteMacro.left() - next.makroCombo.width());
    return next;
}

} // namespace tilvano::ablaufwerk
