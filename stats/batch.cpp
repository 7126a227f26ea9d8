#include "batch.h"

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
constexpr double kStartSecondsSinceMidnight = 36000.0;

// One run on a simulation made fresh or restarted for it.
RunOutcome runOn(HeadlessSimulation &simulation, Mode mode, StartingPoints start)
{
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

// The requests' runs numbered one after the other; a worker runs a range of those numbers.
class Work
{
public:
    Work(const std::vector<BatchRequest> &requests, std::vector<std::vector<RunOutcome>> &outcomes)
        : m_requests(requests), m_outcomes(outcomes)
    {
        for (const BatchRequest &request : requests) {
            m_outcomes.emplace_back(static_cast<std::size_t>(std::max(0LL, request.runs)));
            m_firstRun.push_back(m_total);
            m_total += std::max(0LL, request.runs);
        }
    }

    long long total() const { return m_total; }

    void run(HeadlessSimulation &simulation, long long begin, long long end)
    {
        for (long long run = begin; run < end; ++run) {
            const auto which = static_cast<std::size_t>(
                std::upper_bound(m_firstRun.begin(), m_firstRun.end(), run) - m_firstRun.begin() -
                1);
            const BatchRequest &request = m_requests[which];
            const long long index = run - m_firstRun[which];
            simulation.restart(runSeed(request.seed, request.mode, index));
            m_outcomes[which][static_cast<std::size_t>(index)] =
                runOn(simulation, request.mode, request.start);
        }
    }

private:
    const std::vector<BatchRequest> &m_requests;
    std::vector<std::vector<RunOutcome>> &m_outcomes;
    std::vector<long long> m_firstRun;
    long long m_total = 0;
};

void runHere(Work &work, const Progress &progress)
{
    HeadlessSimulation simulation(0, kStartSecondsSinceMidnight, Captions::Skipped);
    auto shown = std::chrono::steady_clock::now();
    for (long long begin = 0; begin < work.total(); begin += kChunk) {
        work.run(simulation, begin, std::min(work.total(), begin + kChunk));
        if (progress && std::chrono::steady_clock::now() - shown >= kProgressInterval) {
            progress(std::min(work.total(), begin + kChunk), work.total());
            shown = std::chrono::steady_clock::now();
        }
    }
}

void runOnThreads(Work &work, int threads, const Progress &progress)
{
    std::atomic<long long> nextRun{0};
    std::atomic<long long> done{0};
    std::mutex mutex;
    std::condition_variable finished;
    int running = threads;

    auto worker = [&] {
        HeadlessSimulation simulation(0, kStartSecondsSinceMidnight, Captions::Skipped);
        for (;;) {
            const long long begin = nextRun.fetch_add(kChunk);
            if (begin >= work.total())
                break;
            const long long end = std::min(work.total(), begin + kChunk);
            work.run(simulation, begin, end);
            done.fetch_add(end - begin);
        }
        const std::lock_guard lock(mutex);
        if (--running == 0)
            finished.notify_all();
    };

    std::vector<std::thread> pool;
    for (int i = 0; i < threads; ++i)
        pool.emplace_back(worker);
    {
        std::unique_lock lock(mutex);
        while (!finished.wait_for(lock, kProgressInterval, [&] { return running == 0; })) {
            if (progress) {
                lock.unlock();
                progress(done.load(), work.total());
                lock.lock();
            }
        }
    }
    for (std::thread &thread : pool)
        thread.join();
}

} // namespace

std::uint64_t runSeed(std::uint64_t batchSeed, Mode mode, long long runIndex)
{
    const std::uint64_t modeTag = mode == Mode::Both ? 1 : 2;
    return mix(mix(mix(batchSeed) ^ modeTag) ^ static_cast<std::uint64_t>(runIndex));
}

RunOutcome simulateRun(Mode mode, StartingPoints start, std::uint64_t seed, Captions captions)
{
    HeadlessSimulation simulation(seed, kStartSecondsSinceMidnight, captions);
    return runOn(simulation, mode, start);
}

BatchRunner::BatchRunner(const BatchRequest &request)
    : m_request(request), m_simulation(0, kStartSecondsSinceMidnight, Captions::Skipped)
{
    m_outcomes.reserve(static_cast<std::size_t>(std::max(0LL, request.runs)));
}

long long BatchRunner::runMore(long long count)
{
    const long long before = done();
    const long long end = std::min(m_request.runs, before + std::max(0LL, count));
    for (long long index = before; index < end; ++index) {
        m_simulation.restart(runSeed(m_request.seed, m_request.mode, index));
        m_outcomes.push_back(runOn(m_simulation, m_request.mode, m_request.start));
        const auto meetings = static_cast<std::size_t>(m_outcomes.back().meetings);
        if (meetings >= m_histogram.size())
            m_histogram.resize(meetings + 1, 0);
        ++m_histogram[meetings];
    }
    return end - before;
}

std::vector<std::vector<RunOutcome>> runBatches(const std::vector<BatchRequest> &requests,
                                                int threads, const Progress &progress)
{
    std::vector<std::vector<RunOutcome>> outcomes;
    Work work(requests, outcomes);
    if (threads <= 1)
        runHere(work, progress);
    else
        runOnThreads(work, threads, progress);
    if (progress)
        progress(work.total(), work.total());
    return outcomes;
}

} // namespace perne::stats
