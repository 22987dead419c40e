#pragma once

#include "Ablaufwerk/clsMacro.h"
#include "common/MacroScript.h"

namespace tilvano {

// What the editor does to the lines of a macro. Every change marks the macro
// changed; a request that cannot be carried out changes nothing and gives false.
// Positions count from 1, as in the line collection.

void AppendLine(clsMacro &macro, const MacroStatement &line);
// The line object at the position keeps its place and takes the new texts.
bool ReplaceLine(clsMacro &macro, qint32 position, const MacroStatement &line);
// Later lines move up by one.
bool DeleteLine(clsMacro &macro, qint32 position);
// Moving exchanges the texts of two neighbours rather than the line objects,
// so whoever holds a line object keeps holding the line at that position.
bool MoveLineUp(clsMacro &macro, qint32 position);
bool MoveLineDown(clsMacro &macro, qint32 position);

} // namespace tilvano
