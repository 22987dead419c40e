#pragma once

#include <QRect>
#include <QString>

#include <optional>

namespace tilvano::ablaufwerk {

// The two fields a walk target is typed into.
enum class WalkField { Left, Top };

struct WalkPositionProblem {
    WalkField field;
    QString message;
    friend bool operator==(const WalkPositionProblem &, const WalkPositionProblem &) = default;
};

// True when the text reads as a number (blanks around it allowed).
bool isNumberText(const QString &text);

// The whole desktop the character can walk on: every screen together.
QRect desktopArea();

// Checks a walk target as typed, left first, and gives the first problem the
// user must be told about, or nothing when both positions lie on `desktop`.
// The positions are rounded as whole 16-bit screen coordinates are; a number
// beyond that range can lie on no screen.
std::optional<WalkPositionProblem> checkWalkPosition(const QString &left, const QString &top, const QRect &desktop);

} // namespace tilvano::ablaufwerk
