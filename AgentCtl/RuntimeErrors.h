#pragma once

#include "common/ErrorInfo.h"

#include <QString>

namespace tilvano::runtime {

// The failures our own code raises, with the numbers and texts that scripts
// and the log have always shown for them.
inline ErrorInfo error(qint32 number, const char *description)
{
    return ErrorInfo{number, QStringLiteral("Tilvano"), QString::fromLatin1(description), 0};
}

inline ErrorInfo invalidArgument() { return error(5, "Invalid procedure call or argument"); }
inline ErrorInfo overflow() { return error(6, "Overflow"); }
inline ErrorInfo subscriptOutOfRange() { return error(9, "Subscript out of range"); }
inline ErrorInfo typeMismatch() { return error(13, "Type mismatch"); }
inline ErrorInfo outOfStackSpace() { return error(28, "Out of stack space"); }
// A call on a character or control that is not there.
inline ErrorInfo objectNotSet() { return error(91, "Object variable or With block variable not set"); }
// A file (the settings store among them) that cannot be read or written.
inline ErrorInfo pathFileAccess() { return error(75, "Path/file access error"); }
inline ErrorInfo keyInUse() { return error(457, "This key is already associated with an element of this collection"); }

} // namespace tilvano::runtime
