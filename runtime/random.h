#pragma once

#include <array>
#include <cstdint>

namespace perne {

// The source of the walkers' random steps.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    // Feeds a number (a clock reading) into the running state.
    virtual void reseed(float value) = 0;
    // A uniform number in [0, 1).
    virtual double next() = 0;
};

// xoshiro256** whose reseed mixes the value into the state it already has instead of
// restarting from the value alone: two reseeds from the same clock reading, as happen when
// both walkers' timers tick within one clock step, still give independent draws. A reseed
// is one multiply-xor, cheap enough for the tens of millions of ticks of a batch.
class MixingRandom final : public RandomSource
{
public:
    explicit MixingRandom(std::uint64_t seed);
    // Seeded from the operating system's entropy source.
    MixingRandom();

    void reseed(float value) override;
    double next() override;

private:
    std::uint64_t nextBits();

    std::array<std::uint64_t, 4> m_state{};
};

} // namespace perne
