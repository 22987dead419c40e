#pragma once

#include <cstddef>

namespace tilvano::script {

// The memory one run may take beyond what the process held when it began.
// Limits per string and per array alone still let a ten-line loop fill the
// machine; the budget ends such a run with "Out of memory" (7) instead.
//
// What the run holds is read from the allocator's own count of bytes in use.
// That count is the process's, so the limit is generous; it is read whenever
// the engine has built about a megabyte since the last look, and when the
// interpreter checks its progress.
class MemoryBudget {
public:
    static constexpr std::size_t DefaultLimit = std::size_t(256) * 1024 * 1024;

    explicit MemoryBudget(std::size_t limitBytes);

    // Before the engine builds something of about `bytes`: raises 7 when that
    // would take the run past its limit.
    void charge(std::size_t bytes)
    {
        m_sinceCheck += bytes;
        if (m_sinceCheck >= BytesBetweenChecks || bytes > m_limit)
            checkWith(bytes);
    }
    // Reads the allocator now; raises 7 when the run is past its limit.
    void check() { checkWith(0); }

    // The budget of the script running on this thread, or null. Nested runs
    // (a script's call that starts another script) share the outermost's.
    static MemoryBudget *current();

    // Makes a budget the current one for the life of the outermost run.
    class Scope {
    public:
        explicit Scope(MemoryBudget &budget);
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        bool m_installed;
    };

private:
    static constexpr std::size_t BytesBetweenChecks = 1024 * 1024;

    void checkWith(std::size_t about);

    std::size_t m_limit;
    std::size_t m_baseline;
    std::size_t m_sinceCheck = 0;
};

// Charges the running script's budget, when a script is running.
inline void chargeMemory(std::size_t bytes)
{
    if (MemoryBudget *budget = MemoryBudget::current())
        budget->charge(bytes);
}

} // namespace tilvano::script
