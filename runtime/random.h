#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace perne {

// The four words of a xoshiro256 generator's state: with them a run's draws can be made again.
using RandomState = std::array<std::uint64_t, 4>;

// The source of the walkers' random steps.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    // Feeds a number (a clock reading) into the running state.
    virtual void reseed(float value) = 0;
    // A uniform number in [0, 1).
    virtual double next() = 0;
    // The whole state, when the source can write it down (a run's receipt carries it, so the
    // run can be walked again); a source of scripted draws has none.
    virtual std::optional<RandomState> state() const { return std::nullopt; }
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
    // Goes on from a state written down earlier, as the generator that had it would.
    static MixingRandom fromState(const RandomState &state);

    void reseed(float value) override;
    double next() override;
    std::optional<RandomState> state() const override { return m_state; }

private:
    std::uint64_t nextBits();

    RandomState m_state{};
};

} // namespace perne
