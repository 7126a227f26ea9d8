#pragma once

// A random source for enumerating runs: it hands out the base-8 digits of `code` as
// directions, one per draw. While only the dog walks, Momotaro's tick draws too, but its
// direction is never used: it gets no digit.

#include "headless.h"
#include "mode.h"
#include "random.h"
#include "runcontroller.h"
#include "walk.h"

#include <cmath>
#include <string>

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

// How many equally likely sequences of directions a run of `periods` periods has: one digit
// per tick that steps a walker.
inline long long sequenceCount(perne::stats::Mode mode, int periods)
{
    const int ticks = (mode == perne::stats::Mode::Both ? 2 : 1) * periods;
    return static_cast<long long>(std::pow(perne::kDirectionCount, ticks));
}

// One run of an enumeration: the window's own handlers, set up through the mode button with
// the starting points and started, drawing the digits of `code`. period() lets one timer
// period pass and reports it, which runs both timers' ticks of it.
template <typename Window> struct EnumeratedRun
{
    EnumeratedRun(long long code, perne::stats::Mode mode, perne::stats::StartingPoints start)
        : random(code, mode == perne::stats::Mode::Both)
    {
        for (const std::int16_t v : {start.momotaro.x, start.momotaro.y, start.dog.x, start.dog.y})
            prompter.push(std::to_string(v));
        mode == perne::stats::Mode::Both ? controller.command2Click() : controller.command3Click();
        controller.command5Click();
    }
    void period()
    {
        clock.advancePeriods(1);
        controller.timer1Tick();
    }
    const perne::WalkState &state() const { return controller.state(); }

    Window window;
    perne::ScriptedPrompter prompter;
    perne::CountingCues cues;
    perne::SimulatedClock clock;
    Directions random;
    perne::RunController controller{window, prompter, cues, clock, random};
};
