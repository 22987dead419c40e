#pragma once

#include <cstdint>

namespace tilvano::script {

// How much of the thread's own stack is left. Script procedures recurse on
// the native stack; before a call would come near its end, the interpreter
// raises the language's "Out of stack space" (28) instead of crashing. The
// reserve left untouched covers the deepest expression the parser lets
// through and the published objects' own calls.
class NativeStack {
public:
    // Reads the bounds of the calling thread's stack (once per thread).
    NativeStack();

    bool isNearlyExhausted() const { return currentAddress() < m_lowWater; }

private:
    static std::uintptr_t currentAddress() { return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)); }

    std::uintptr_t m_lowWater;
};

} // namespace tilvano::script
