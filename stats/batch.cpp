#include "batch.h"

#include "headless.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace perne::stats {
namespace {

std::uint64_t mix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

// Runs are handed out in small chunks so both threads stay busy to the end.
constexpr long long kChunk = 16;
constexpr auto kProgressInterval = std::chrono::milliseconds(100);

} // namespace

std::uint64_t runSeed(std::uint64_t batchSeed, Mode mode, long long runIndex)
{
    const std::uint64_t modeTag = mode == Mode::Both ? 1 : 2;
    return mix(mix(mix(batchSeed) ^ modeTag) ^ static_cast<std::uint64_t>(runIndex));
}

RunOutcome simulateRun(Mode mode, StartingPoints start, std::uint64_t seed)
{
    HeadlessSimulation simulation(seed);
    RunOutcome outcome;
    if (!simulation.setUpAndStart(walkingState(mode), start.momotaro, start.dog))
        return outcome;
    long long period = 0;
    while (simulation.driver.advance()) {
        ++period;
        if (outcome.firstMeetingPeriod == 0 && simulation.controller.state().meetingCount > 0)
            outcome.firstMeetingPeriod = period;
    }
    outcome.meetings = simulation.controller.state().meetingCount;
    return outcome;
}

std::vector<std::vector<RunOutcome>> runBatches(const std::vector<BatchRequest> &requests,
                                                int threads, const Progress &progress)
{
    std::vector<std::vector<RunOutcome>> outcomes;
    // Every run gets a global number; a chunk is a range of those numbers.
    std::vector<long long> firstRun;
    long long total = 0;
    for (const BatchRequest &request : requests) {
        outcomes.emplace_back(static_cast<std::size_t>(std::max(0LL, request.runs)));
        firstRun.push_back(total);
        total += std::max(0LL, request.runs);
    }

    std::atomic<long long> nextRun{0};
    std::atomic<long long> done{0};
    std::mutex mutex;
    std::condition_variable finished;
    int running = std::max(1, threads);

    auto work = [&] {
        for (;;) {
            const long long begin = nextRun.fetch_add(kChunk);
            if (begin >= total)
                break;
            const long long end = std::min(total, begin + kChunk);
            for (long long run = begin; run < end; ++run) {
                const auto which = static_cast<std::size_t>(
                    std::upper_bound(firstRun.begin(), firstRun.end(), run) - firstRun.begin() - 1);
                const BatchRequest &request = requests[which];
                const long long index = run - firstRun[which];
                outcomes[which][static_cast<std::size_t>(index)] = simulateRun(
                    request.mode, request.start, runSeed(request.seed, request.mode, index));
            }
            done.fetch_add(end - begin);
        }
        const std::lock_guard lock(mutex);
        if (--running == 0)
            finished.notify_all();
    };

    std::vector<std::thread> pool;
    for (int i = 0; i < std::max(1, threads); ++i)
        pool.emplace_back(work);
    {
        std::unique_lock lock(mutex);
        while (!finished.wait_for(lock, kProgressInterval, [&] { return running == 0; })) {
            if (progress) {
                lock.unlock();
                progress(done.load(), total);
                lock.lock();
            }
        }
    }
    for (std::thread &thread : pool)
        thread.join();
    if (progress)
        progress(total, total);
    return outcomes;
}

} // namespace perne::stats
