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

// True when the text is a plain whole number: digits with an optional sign,
// blanks around it allowed. The position is written into the macro as typed,
// where a decimal or thousands separator ("12,5", "1.000") would read as a
// second argument, so no separator of any kind is a number here.
bool isWholeNumberText(const QString &text);

// The whole desktop the character can walk on: every screen together.
QRect desktopArea();

// Checks a walk target as typed, left first, and gives the first problem the
// user must be told about, or nothing when both positions lie on `desktop`.
// A number beyond the range of 16-bit screen coordinates can lie on no screen.
std::optional<WalkPositionProblem> checkWalkPosition(const QString &left, const QString &top, const QRect &desktop);

} // namespace tilvano::ablaufwerk
