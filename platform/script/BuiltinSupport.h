#pragma once

// What the families of library functions share: argument helpers and each
// family's table. Only the function files and the registry include this.

#include "Builtins.h"
#include "ScriptError.h"

#include <QDateTime>
#include <QStringList>

#include <climits>
#include <span>

namespace tilvano::script {

using Args = Value *;
// No upper limit on the number of arguments.
constexpr int ManyArguments = INT_MAX;

// A text argument (objects stand for their default property).
inline QString text(const Value &v) { return v.primitive().toString(); }
// A length or count: negative is an invalid argument (5).
int count(const Value &v);
// The optional compare argument at index: 1 (vbTextCompare) ignores case.
Qt::CaseSensitivity compareMode(Args a, int n, int index);
Value makeStringArray(const QStringList &items);
// The array an argument holds; anything else is a type mismatch.
const ScriptArray &arrayArgument(const Value &v);

// A date argument as a serial: dates, numbers, and texts in the German or
// ISO form or a time of day; anything else is a type mismatch.
double dateSerial(const Value &v);
inline QDateTime dateArgument(const Value &v) { return dateTimeFromSerial(dateSerial(v)); }
// A date result; past the years 100 to 9999 it is an overflow (6).
Value dateResult(double serial);
inline Value fromDateTime(const QDateTime &dt) { return dateResult(dateSerialFromDateTime(dt)); }

std::span<const Builtin> stringFunctions();
std::span<const Builtin> conversionFunctions();
std::span<const Builtin> mathFunctions();
std::span<const Builtin> arrayFunctions();
std::span<const Builtin> dateFunctions();
std::span<const Builtin> dialogFunctions();

} // namespace tilvano::script
