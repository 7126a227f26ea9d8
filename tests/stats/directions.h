#pragma once

// A random source for enumerating runs: it hands out the base-8 digits of `code` as
// directions, one per draw. While only the dog walks, Momotaro's tick draws too, but its
// direction is never used: it gets no digit.

#include "random.h"
#include "walk.h"

class Directions final : public perne::RandomSource
{
public:
    Directions(long long code, bool everyDrawCounts) : m_code(code), m_every(everyDrawCounts) {}
    void reseed(float) override {}
    double next() override
    {
        if (!m_every && m_draws++ % 2 == 1)
            return 0.0;
        const auto digit = static_cast<double>(m_code % perne::kDirectionCount);
        m_code /= perne::kDirectionCount;
        return (digit + 0.5) / perne::kDirectionCount;
    }

private:
    long long m_code;
    bool m_every;
    long long m_draws = 0;
};
