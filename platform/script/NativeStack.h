#pragma once

namespace tilvano::script {

// How much of the thread's own stack is left. Script procedures recurse on
// the native stack; before a call would come near its end, the interpreter
// raises the language's "Out of stack space" (28) instead of crashing. The
// reserve left untouched covers the deepest expression the parser lets
// through and the published objects' own calls.
class NativeStack {
public:
    static bool isNearlyExhausted();
};

} // namespace tilvano::script
