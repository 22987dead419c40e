#pragma once

#include "Expressions.h"

namespace tilvano::script {

// The language's operators with its coercions: Empty counts as 0 or "",
// Null spreads, numbers in strings count as numbers, integer results widen
// instead of overflowing.
Value applyBinary(BinaryOp op, const Value &left, const Value &right);
Value negate(const Value &operand);
Value logicalNot(const Value &operand);

// -1, 0, 1 for less, equal, greater; the caller handles Null.
int compareValues(const Value &left, const Value &right, bool textCompare = false);
// "=" as Select Case uses it; Null never matches.
bool valuesEqual(const Value &left, const Value &right);

} // namespace tilvano::script
