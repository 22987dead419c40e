#pragma once

#include <QtGlobal>

#include <random>

namespace tilvano::agent {

// The one place the service draws chance from (branches, state animations, "|" alternatives).
// Seed it to make a run repeatable.
class RandomSource
{
public:
    RandomSource() : m_engine(std::random_device{}()) {}
    explicit RandomSource(quint32 seed) : m_engine(seed) {}

    void reseed(quint32 seed) { m_engine.seed(seed); }
    // Uniform in 0 .. bound-1; 0 when bound < 1.
    int below(int bound)
    {
        if (bound < 1)
            return 0;
        return std::uniform_int_distribution<int>(0, bound - 1)(m_engine);
    }

private:
    std::mt19937 m_engine;
};

} // namespace tilvano::agent
