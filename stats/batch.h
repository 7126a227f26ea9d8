#pragma once

#include "mode.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace perne::stats {

// What one simulated run gave.
struct RunOutcome
{
    int meetings = 0;
    // The timer period (1, 2, ...) whose tick counted the first meeting; 0 when none did.
    long long firstMeetingPeriod = 0;
};

// The generator seed of one run, mixed from the batch seed, the mode and the run's index,
// so a batch gives the same runs however many threads share it.
std::uint64_t runSeed(std::uint64_t batchSeed, Mode mode, long long runIndex);

// One 180-second run through the window's own handlers: the mode button with the four
// starting coordinates, Start, then the two timers ticking on the simulated clock until
// both have stopped themselves.
RunOutcome simulateRun(Mode mode, StartingPoints start, std::uint64_t seed);

struct BatchRequest
{
    Mode mode = Mode::Both;
    StartingPoints start;
    long long runs = 0;
    std::uint64_t seed = 0;
};

// Called now and then from the calling thread with the runs done so far and the total.
using Progress = std::function<void(long long done, long long total)>;

// Every request's runs, shared out over `threads` threads; the outcomes come back in run
// order, one vector per request.
std::vector<std::vector<RunOutcome>> runBatches(const std::vector<BatchRequest> &requests,
                                                int threads, const Progress &progress = {});

} // namespace perne::stats
