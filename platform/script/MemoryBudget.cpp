#include "MemoryBudget.h"

#include "ScriptError.h"

#include <malloc.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TILVANO_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TILVANO_ADDRESS_SANITIZER 1
#endif

#ifdef TILVANO_ADDRESS_SANITIZER
// The sanitizer's allocator replaces malloc's arenas; it keeps its own count
// of the bytes the program holds (freed blocks waiting in quarantine excluded).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace tilvano::script {

namespace {

// Read on every string the engine builds: the initial-exec model makes that a
// plain load instead of a call (the library is loaded with its program, and
// one pointer fits the static TLS that is kept for late-loaded ones).
__attribute__((tls_model("initial-exec"))) thread_local MemoryBudget *t_current = nullptr;

std::size_t heapBytesInUse()
{
#ifdef TILVANO_ADDRESS_SANITIZER
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

} // namespace

MemoryBudget::MemoryBudget(std::size_t limitBytes) : m_limit(limitBytes), m_baseline(heapBytesInUse()) {}

void MemoryBudget::checkWith(std::size_t about)
{
    m_sinceCheck = 0;
    if (about > m_limit)
        raiseError(errc::OutOfMemory);
    const std::size_t inUse = heapBytesInUse();
    // Memory freed since the run began may leave the count below its start.
    const std::size_t taken = inUse > m_baseline ? inUse - m_baseline : 0;
    if (taken + about > m_limit)
        raiseError(errc::OutOfMemory);
}

MemoryBudget *MemoryBudget::current()
{
    return t_current;
}

MemoryBudget::Scope::Scope(MemoryBudget &budget) : m_installed(t_current == nullptr)
{
    if (m_installed)
        t_current = &budget;
}

MemoryBudget::Scope::~Scope()
{
    if (m_installed)
        t_current = nullptr;
}

} // namespace tilvano::script
