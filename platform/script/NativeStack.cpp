#include "NativeStack.h"

#include <pthread.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace tilvano::script {

namespace {

constexpr std::size_t LargestReserve = 1024 * 1024;
// When the thread's stack cannot be asked for, the interpreter assumes this
// much below the point where it first looked.
constexpr std::size_t AssumedStack = 1024 * 1024;

// The lowest address a call may reach on this thread (stacks grow downwards).
std::uintptr_t computeLowWater()
{
    pthread_attr_t attributes;
    void *lowest = nullptr;
    std::size_t size = 0;
    const bool known = pthread_getattr_np(pthread_self(), &attributes) == 0;
    if (known) {
        pthread_attr_getstack(&attributes, &lowest, &size);
        pthread_attr_destroy(&attributes);
    }
    const std::uintptr_t here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    const std::uintptr_t low = reinterpret_cast<std::uintptr_t>(lowest);
    if (!known || size == 0 || here <= low || here - low > size)
        return here - AssumedStack / 2;
    // A quarter of a small stack, at most a megabyte of a large one.
    return low + std::min(LargestReserve, size / 4);
}

thread_local std::uintptr_t t_lowWater = 0;

} // namespace

NativeStack::NativeStack()
{
    if (t_lowWater == 0)
        t_lowWater = computeLowWater();
    m_lowWater = t_lowWater;
}

} // namespace tilvano::script
