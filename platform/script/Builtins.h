#pragma once

#include "Value.h"

namespace tilvano::script {

class Interpreter;

// A function of the language's library. Arguments arrive evaluated.
struct Builtin {
    const char *name;
    int minimumArguments;
    int maximumArguments;
    Value (*function)(Interpreter &in, Value *arguments, int count);
};

const Builtin *findBuiltin(const QString &lowerName);
// vbCrLf, vbYesNo, vbString, ...
bool findBuiltinConstant(const QString &lowerName, Value *value);

} // namespace tilvano::script
