#include "batch.h"
#include "exact.h"
#include "headless.h"
#include "summary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace perne;
using namespace perne::stats;

namespace {

std::vector<int> counts(const std::vector<RunOutcome> &outcomes)
{
    std::vector<int> c;
    for (const RunOutcome &o : outcomes)
        c.push_back(o.meetings);
    return c;
}

} // namespace

namespace {

// The engine's runs scatter around the exact expectation: the exact value must lie within
// 3.29 standard errors of the simulated mean (a 99.9% interval, so a fixed seed is not
// chosen to pass). The batch and the propagation share only the step rule.
void expectAgreement(StartingPoints start, std::uint64_t seed)
{
    constexpr long long kRuns = 100;
    const auto outcomes =
        runBatches({{Mode::Both, start, kRuns, seed}, {Mode::Dog, start, kRuns, seed}}, 2);
    for (std::size_t i = 0; i < kAllModes.size(); ++i) {
        const Mode mode = kAllModes[i];
        const Summary s = summarize(outcomes[i]);
        const ExactValues exact = exactValues(mode, start, ticksPerTimer());
        const double standardError = *s.sd / std::sqrt(static_cast<double>(s.runs));
        EXPECT_NEAR(s.mean, exact.meanMeetings, 3.29 * standardError) << modeKey(mode);
        EXPECT_LT(*s.ciLow, s.mean);
        EXPECT_GT(*s.ciHigh, s.mean);
    }
}

} // namespace

TEST(Batch, SimulatedMeansAgreeWithTheExactValuesFromTheDefaultStart)
{
    expectAgreement({}, 20240601);
}

TEST(Batch, SimulatedMeansAgreeWithTheExactValuesFromOppositeCorners)
{
    expectAgreement({{0, 0}, {10, 10}}, 7);
}

TEST(Batch, SimulatedMeansAgreeWithTheExactValuesFromOnePoint)
{
    expectAgreement({{3, 8}, {3, 8}}, 8);
}

// Each run's seed comes from the batch seed and the run's number, never from the thread
// that happened to take it.
TEST(Batch, TheSameSeedGivesTheSameRunsOnAnyNumberOfThreads)
{
    const std::vector<BatchRequest> requests{{Mode::Both, {}, 25, 99}, {Mode::Dog, {}, 20, 99}};
    const auto one = runBatches(requests, 1);
    const auto two = runBatches(requests, 2);
    const auto five = runBatches(requests, 5);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        ASSERT_EQ(one[i].size(), static_cast<std::size_t>(requests[i].runs));
        EXPECT_EQ(counts(one[i]), counts(two[i]));
        EXPECT_EQ(counts(one[i]), counts(five[i]));
        // Different runs really are different runs.
        const std::vector<int> c = counts(one[i]);
        EXPECT_GT(std::set<int>(c.begin(), c.end()).size(), 3u);
    }
    // Another batch seed gives other runs.
    const auto other = runBatches({{Mode::Both, {}, 25, 100}}, 2);
    EXPECT_NE(counts(one[0]), counts(other[0]));
}

TEST(Batch, RunSeedsDifferByIndexModeAndBatchSeed)
{
    std::set<std::uint64_t> seeds;
    for (const std::uint64_t batch : {0ULL, 1ULL, 2ULL})
        for (const Mode mode : kAllModes)
            for (long long i = 0; i < 100; ++i)
                seeds.insert(runSeed(batch, mode, i));
    EXPECT_EQ(seeds.size(), 600u);
}

// A run through the headless window: the count it reports is the one the window shows, and
// the first meeting falls within the run.
TEST(Batch, ARunReportsTheWindowsCountAndItsFirstMeeting)
{
    const RunOutcome outcome = simulateRun(Mode::Both, {{4, 4}, {5, 4}}, 12345);
    HeadlessSimulation simulation(12345);
    ASSERT_TRUE(simulation.setUpAndStart(RunState::BothWalking, {4, 4}, {5, 4}));
    simulation.driver.runUntilStopped();
    EXPECT_EQ(simulation.window.caption(Label::Label3),
              "ペルネ回数＝ " + std::to_string(outcome.meetings));
    ASSERT_GT(outcome.meetings, 0);
    EXPECT_GE(outcome.firstMeetingPeriod, 1);
    EXPECT_LE(outcome.firstMeetingPeriod, ticksPerTimer());
}

TEST(Batch, NoRunsGiveEmptyOutcomes)
{
    const auto outcomes = runBatches({{Mode::Both, {}, 0, 1}, {Mode::Dog, {}, 3, 1}}, 2);
    EXPECT_TRUE(outcomes[0].empty());
    EXPECT_EQ(outcomes[1].size(), 3u);
}

TEST(Summary, MeanSpreadIntervalAndHistogram)
{
    const Summary s = summarize({{2, 5}, {4, 10}, {4, 0}, {6, 15}});
    EXPECT_EQ(s.runs, 4);
    EXPECT_DOUBLE_EQ(s.mean, 4.0);
    EXPECT_DOUBLE_EQ(*s.sd, std::sqrt(8.0 / 3.0));
    EXPECT_NEAR(*s.ciLow, 4.0 - 1.959964 * std::sqrt(8.0 / 3.0) / 2.0, 1e-6);
    EXPECT_NEAR(*s.ciHigh, 4.0 + 1.959964 * std::sqrt(8.0 / 3.0) / 2.0, 1e-6);
    EXPECT_EQ(s.min, 2);
    EXPECT_EQ(s.max, 6);
    EXPECT_EQ(s.histogram, (std::vector<long long>{0, 0, 1, 0, 2, 0, 1}));
    // Periods 5, 10, 15 of the three runs that met: 1, 2 and 3 seconds.
    EXPECT_EQ(s.runsWithMeeting, 3);
    EXPECT_NEAR(*s.firstMeetingSeconds, 2.0, 1e-12);
}

TEST(Summary, OneRunHasNoSpreadAndNoRunsNothing)
{
    const Summary one = summarize({{0, 0}});
    EXPECT_EQ(one.mean, 0.0);
    EXPECT_FALSE(one.sd.has_value());
    EXPECT_FALSE(one.ciLow.has_value());
    EXPECT_FALSE(one.firstMeetingSeconds.has_value());
    EXPECT_EQ(one.histogram, (std::vector<long long>{1}));

    const Summary none = summarize({});
    EXPECT_EQ(none.runs, 0);
    EXPECT_TRUE(none.histogram.empty());
}
