#include "batch.h"
#include "exact.h"
#include "headless.h"
#include "summary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace perne;
using namespace perne::stats;

// Whole 180-second runs through the engine scatter around the exact values, which must lie
// within the simulated 99.9% intervals (wide enough that the seeds were not picked to pass).
// The batch and the exact calculation share only the step rule.
TEST(Batch, SimulatedRunsAgreeWithTheExactValues)
{
    constexpr long long kRuns = 100;
    constexpr double kZ = 3.29;
    const std::vector<BatchRequest> requests{{Mode::Both, {}, kRuns, 20240601},
                                             {Mode::Dog, {}, kRuns, 20240601},
                                             {Mode::Dog, {{0, 0}, {10, 10}}, kRuns, 7},
                                             {Mode::Dog, {{3, 8}, {3, 8}}, kRuns, 8}};
    const auto outcomes = runBatches(requests, 2);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        SCOPED_TRACE(i);
        const ExactValues exact = exactValues(requests[i].mode, requests[i].start, ticksPerTimer());
        const Summary s = summarize(outcomes[i]);
        // The summary's own 95% interval, widened to 99.9%.
        EXPECT_NEAR(s.mean, exact.meanMeetings, kZ / 1.96 * (*s.ciHigh - *s.ciLow) / 2);
        const double p = exact.meetingProbability;
        EXPECT_NEAR(static_cast<double>(s.runsWithMeeting) / kRuns, p,
                    kZ * std::sqrt(p * (1 - p) / kRuns) + 1.0 / kRuns);
        double squares = 0.0;
        for (const RunOutcome &o : outcomes[i])
            if (o.firstMeetingPeriod > 0)
                squares += std::pow(0.2 * o.firstMeetingPeriod - *s.firstMeetingSeconds, 2);
        const auto met = static_cast<double>(s.runsWithMeeting);
        EXPECT_NEAR(*s.firstMeetingSeconds, *exact.firstMeetingSeconds,
                    kZ * std::sqrt(squares / (met - 1) / met));
        // The curve at 2, 5, 10, 20 and 60 seconds: the share of runs met by then.
        for (const long long period : {10, 25, 50, 100, 300}) {
            const auto metBy = std::count_if(outcomes[i].begin(), outcomes[i].end(), [&](auto o) {
                return o.firstMeetingPeriod > 0 && o.firstMeetingPeriod <= period;
            });
            const double q = exact.metByPeriod[static_cast<std::size_t>(period)];
            EXPECT_NEAR(static_cast<double>(metBy) / kRuns, q,
                        kZ * std::sqrt(q * (1 - q) / kRuns) + 1.0 / kRuns)
                << "period " << period;
        }
    }
}

// A batch skips the captions and reuses one simulation for all its runs; every run still
// counts exactly what a fresh window that writes every caption counts, at its first meeting
// too, on one thread and on several, and a runner that goes a few runs at a time agrees.
TEST(Batch, RunsCountTheSameWithAndWithoutCaptions)
{
    const std::vector<BatchRequest> requests{{Mode::Both, {}, 60, 99},
                                             {Mode::Dog, {}, 60, 99},
                                             {Mode::Both, {{0, 0}, {0, 1}}, 40, 5},
                                             {Mode::Dog, {{10, 10}, {9, 10}}, 40, 6}};
    const auto here = runBatches(requests, 1);
    EXPECT_EQ(runBatches(requests, 3), here);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const BatchRequest &r = requests[i];
        BatchRunner runner(r);
        while (runner.runMore(7) > 0) {
        }
        EXPECT_TRUE(runner.finished());
        EXPECT_EQ(runner.outcomes(), here[i]);
        EXPECT_EQ(runner.histogram(), summarize(here[i]).histogram);
        for (long long run = 0; run < r.runs; ++run) {
            const RunOutcome kept =
                simulateRun(r.mode, r.start, runSeed(r.seed, r.mode, run), Captions::Kept);
            EXPECT_EQ(here[i][static_cast<std::size_t>(run)], kept) << i << " run " << run;
        }
    }
}

// The exact values' run is as long as the engine's: a headless run lasts ticksPerTimer()
// periods (900 periods of 200 ms, and the stopping tick), also where single precision
// rounds the clock and across midnight.
TEST(Batch, TheExactRunIsAsLongAsASimulatedOne)
{
    EXPECT_EQ(ticksPerTimer(), 901);
    for (const double start : {36000.0, 0.0, 1234.567, 86399.9, 86300.3, 50000.05}) {
        HeadlessSimulation simulation(7, start);
        ASSERT_TRUE(simulation.setUpAndStart(RunState::DogWalking, {4, 4}, {6, 4}));
        EXPECT_EQ(simulation.driver.runUntilStopped(), ticksPerTimer(start)) << start;
    }
}

// Counts 1, 3, 3, 5 (sd sqrt(8/3)); first meetings in periods 5, 10 and 15 (1, 2, 3 s) and
// one run without any. One run has no spread.
TEST(Summary, OfRunsWorkedOutByHand)
{
    const Summary s = summarize({{1, 5}, {3, 10}, {3, 0}, {5, 15}});
    const double half = 1.959964 * std::sqrt(8.0 / 3.0) / 2.0;
    EXPECT_DOUBLE_EQ(s.mean, 3.0);
    EXPECT_NEAR(*s.ciLow, 3.0 - half, 1e-6);
    EXPECT_NEAR(*s.ciHigh, 3.0 + half, 1e-6);
    EXPECT_EQ(std::pair(s.min, s.max), std::pair(1, 5));
    EXPECT_EQ(s.histogram, (std::vector<long long>{0, 1, 0, 2, 0, 1}));
    EXPECT_EQ(s.runsWithMeeting, 3);
    EXPECT_NEAR(*s.firstMeetingSeconds, 2.0, 1e-12);

    const Summary one = summarize({{3, 0}});
    EXPECT_FALSE(one.sd || one.ciLow || one.ciHigh || one.firstMeetingSeconds);
}
