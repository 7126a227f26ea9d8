#pragma once

#include "headless.h"
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
    friend bool operator==(const RunOutcome &, const RunOutcome &) = default;
};

// The generator seed of one run, mixed from the batch seed, the mode and the run's index,
// so a batch gives the same runs however many threads share it.
std::uint64_t runSeed(std::uint64_t batchSeed, Mode mode, long long runIndex);

// One 180-second run through the window's own handlers: the mode button with the four
// starting coordinates, Start, then the two timers ticking on the simulated clock until
// both have stopped themselves. Batches skip the window's captions, which change nothing
// but the texts nobody reads; Captions::Kept writes them as a window would.
RunOutcome simulateRun(Mode mode, StartingPoints start, std::uint64_t seed,
                       Captions captions = Captions::Skipped);

struct BatchRequest
{
    Mode mode = Mode::Both;
    StartingPoints start;
    long long runs = 0;
    std::uint64_t seed = 0;
};

// One request's runs in order, a few at a time, on the calling thread: a caller with no
// threads (a page's worker) runs some, shows them, and carries on or stops when it likes.
// Run i always has runSeed(request.seed, request.mode, i), so the outcomes are those of
// runBatches for the same request.
class BatchRunner
{
public:
    explicit BatchRunner(const BatchRequest &request);

    // Runs up to `count` more runs (none past request.runs); returns how many ran.
    long long runMore(long long count);
    long long done() const { return static_cast<long long>(m_outcomes.size()); }
    bool finished() const { return done() >= m_request.runs; }
    // The finished runs, in run order.
    const std::vector<RunOutcome> &outcomes() const { return m_outcomes; }
    // histogram()[k]: how many finished runs counted k meetings, k = 0 .. the most so far;
    // kept as the runs finish, so showing a growing batch costs nothing per run.
    const std::vector<long long> &histogram() const { return m_histogram; }

private:
    BatchRequest m_request;
    std::vector<RunOutcome> m_outcomes;
    std::vector<long long> m_histogram;
    HeadlessSimulation m_simulation;
};

// Called now and then from the calling thread with the runs done so far and the total.
using Progress = std::function<void(long long done, long long total)>;

// Every request's runs, shared out over `threads` threads; the outcomes come back in run
// order, one vector per request. With one thread everything runs on the calling thread
// and no thread is started.
std::vector<std::vector<RunOutcome>> runBatches(const std::vector<BatchRequest> &requests,
                                                int threads, const Progress &progress = {});

} // namespace perne::stats
