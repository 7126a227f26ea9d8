#include "batch.h"
#include "directions.h"
#include "distribution.h"
#include "exact.h"
#include "headless.h"
#include "summary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <tuple>

using namespace perne;
using namespace perne::stats;

namespace {

// Compares two distributions of the count, a missing tail counting as 0.
void expectSameDistribution(const std::vector<double> &d, const std::vector<double> &expected,
                            double tolerance)
{
    for (std::size_t k = 0; k < std::max(d.size(), expected.size()); ++k)
        EXPECT_NEAR(k < d.size() ? d[k] : 0.0, k < expected.size() ? expected[k] : 0.0, tolerance)
            << "meetings " << k;
}

// The window's own handlers driven through every sequence of directions of a run of
// `periods` periods: the share of sequences that count each number of meetings.
std::vector<double> countEveryRun(Mode mode, StartingPoints start, int periods)
{
    const long long sequences = sequenceCount(mode, periods);
    std::vector<double> shares;
    for (long long code = 0; code < sequences; ++code) {
        EnumeratedRun<WindowModel> run(code, mode, start);
        for (int period = 1; period <= periods; ++period)
            run.period();
        const auto count = static_cast<std::size_t>(run.state().meetingCount);
        shares.resize(std::max(shares.size(), count + 1), 0.0);
        shares[count] += 1.0 / static_cast<double>(sequences);
    }
    return shares;
}

// A plain forward computation, the slow way: the chance of every (dog's point, Momotaro's
// point, meeting waiting, count so far), tick by tick, by the engine's step rule.
std::vector<double> carryPositionAndCount(Mode mode, StartingPoints start, int periods)
{
    constexpr int kCells = 11 * 11;
    const int counts = periods + 1; // a meeting needs a step and a reset: at most one a period
    std::vector<std::array<int, kDirectionCount>> stepTo(kCells);
    for (int p = 0; p < kCells; ++p)
        for (StepDirection d = 1; d <= kDirectionCount; ++d) {
            const Point q =
                step({static_cast<std::int16_t>(p % 11), static_cast<std::int16_t>(p / 11)}, d);
            stepTo[static_cast<std::size_t>(p)][static_cast<std::size_t>(d - 1)] = q.y * 11 + q.x;
        }
    // Cell (dog, Momotaro, waiting) holds `counts` chances, one per count so far.
    auto cell = [&](int dog, int momotaro, int waiting) {
        return static_cast<std::size_t>(((dog * kCells + momotaro) * 2 + waiting) * counts);
    };
    const int dogStart = start.dog.y * 11 + start.dog.x;
    const int momotaroStart = start.momotaro.y * 11 + start.momotaro.x;
    std::vector<double> now(cell(kCells, 0, 0), 0.0), next(now.size());
    now[cell(dogStart, momotaroStart, 0)] = 1.0;
    for (int tick = 1; tick <= 2 * periods; ++tick) {
        const bool dogTick = tick % 2 == 1;
        std::fill(next.begin(), next.end(), 0.0);
        for (int d = 0; d < kCells; ++d)
            for (int m = 0; m < kCells; ++m)
                for (int waiting = 0; waiting < 2; ++waiting) {
                    const double *from = &now[cell(d, m, waiting)];
                    if (std::all_of(from, from + counts, [](double p) { return p == 0.0; }))
                        continue;
                    auto add = [&](int d2, int m2, int met, double share) {
                        double *to = &next[cell(d2, m2, met)];
                        for (int c = 0; c + met < counts; ++c)
                            to[c + met] += from[c] * share;
                    };
                    if (waiting)
                        add(dogStart, momotaroStart, 0, 1.0); // the reset: no step
                    else if (!dogTick && mode == Mode::Dog)
                        add(d, m, 0, 1.0); // Momotaro's tick while only the dog walks
                    else
                        for (std::size_t dir = 0; dir < kDirectionCount; ++dir) {
                            const int d2 = dogTick ? stepTo[static_cast<std::size_t>(d)][dir] : d;
                            const int m2 = dogTick ? m : stepTo[static_cast<std::size_t>(m)][dir];
                            add(d2, m2, d2 == m2, 1.0 / kDirectionCount);
                        }
                }
        now.swap(next);
    }
    std::vector<double> distribution(static_cast<std::size_t>(counts), 0.0);
    for (std::size_t i = 0; i < now.size(); ++i)
        distribution[i % static_cast<std::size_t>(counts)] += now[i];
    while (distribution.size() > 1 && distribution.back() == 0.0)
        distribution.pop_back();
    return distribution;
}

} // namespace

// Worked out by hand. Dog only, both in the corner (0,0): from there the dog stays put and
// meets with 3/8, and Momotaro's tick resets; otherwise it goes to (1,0) or (0,1) with 2/8
// each, from where 2 of 8 directions come back, or to (1,1) with 1/8, where 1 does. So two
// periods meet twice with 9/64, and once with 3/8 x 5/8 + (2 x 2 x 2 + 1) / 64 = 24/64.
// Both walking from (0,0) and (1,0) for one period: the dog meets with 2/8, otherwise
// Momotaro's step meets with 5/64 of the rest (21/64 in all).
TEST(MeetingDistribution, RunsWorkedOutByHand)
{
    expectSameDistribution(meetingDistribution(Mode::Dog, {{0, 0}, {0, 0}}, 2),
                           {31.0 / 64, 24.0 / 64, 9.0 / 64}, 1e-15);
    expectSameDistribution(meetingDistribution(Mode::Both, {{0, 0}, {1, 0}}, 1),
                           {43.0 / 64, 21.0 / 64}, 1e-15);
    // No tick, or too few to cross the lattice: nothing is counted.
    EXPECT_EQ(meetingDistribution(Mode::Both, {}, 0), std::vector<double>{1.0});
    EXPECT_EQ(meetingDistribution(Mode::Dog, {{0, 0}, {10, 10}}, 9), std::vector<double>{1.0});
}

// Every sequence of directions through the real handlers: a meeting on either timer's tick,
// its reset by the other timer's tick or the next period's, a meeting on the very last
// tick, edges, corners and identical starts.
TEST(MeetingDistribution, AgreesWithEveryRunOfTheRealHandlers)
{
    const std::tuple<Mode, StartingPoints, int> cases[] = {
        {Mode::Both, {{0, 0}, {1, 1}}, 2},
        {Mode::Both, {{10, 0}, {10, 0}}, 2},
        {Mode::Dog, {{1, 0}, {0, 1}}, 4},
        {Mode::Dog, {{0, 0}, {0, 0}}, 4},
    };
    for (const auto &[mode, start, periods] : cases) {
        SCOPED_TRACE(testing::Message() << modeKey(mode) << " " << periods);
        expectSameDistribution(meetingDistribution(mode, start, periods),
                               countEveryRun(mode, start, periods), 1e-12);
    }
}

// Longer runs, where many meetings chain their restarts on both timers' ticks, against the
// joint distribution of the walkers' points and the count carried forward.
TEST(MeetingDistribution, AgreesWithAForwardComputationOfPositionAndCount)
{
    const std::tuple<Mode, StartingPoints, int> cases[] = {
        {Mode::Both, {{0, 0}, {0, 0}}, 12}, {Mode::Both, {{4, 4}, {6, 4}}, 12},
        {Mode::Both, {{10, 3}, {9, 4}}, 9}, {Mode::Dog, {{0, 0}, {0, 0}}, 30},
        {Mode::Dog, {{5, 10}, {6, 9}}, 30},
    };
    for (const auto &[mode, start, periods] : cases) {
        SCOPED_TRACE(testing::Message() << modeKey(mode) << " " << periods);
        const auto expected = carryPositionAndCount(mode, start, periods);
        ASSERT_GE(expected.size(), 4u); // several meetings are possible
        expectSameDistribution(meetingDistribution(mode, start, periods), expected, 1e-12);
    }
}

// The whole 180-second run: a distribution (nothing negative, adding up to 1 but for a
// tail below 1e-12) whose mean is the exact expectation, far corners and shared starts too.
TEST(MeetingDistribution, TheWholeRunAddsUpToOneWithTheExactMean)
{
    const StartingPoints starts[] = {{}, {{0, 0}, {10, 10}}, {{0, 0}, {0, 0}}};
    for (const Mode mode : kAllModes)
        for (const StartingPoints start : starts) {
            const auto d = meetingDistribution(mode, start, ticksPerTimer());
            const ExactValues exact = exactValues(mode, start, ticksPerTimer());
            SCOPED_TRACE(testing::Message() << modeKey(mode) << " mean " << exact.meanMeetings);
            EXPECT_TRUE(std::all_of(d.begin(), d.end(), [](double p) { return p >= 0.0; }));
            const double total = std::accumulate(d.begin(), d.end(), 0.0);
            EXPECT_LE(1.0 - total, kDistributionTail + 1e-14);
            EXPECT_LE(total, 1.0 + 1e-14);
            double mean = 0.0;
            for (std::size_t k = 0; k < d.size(); ++k)
                mean += static_cast<double>(k) * d[k];
            EXPECT_NEAR(mean, exact.meanMeetings, 1e-9);
            EXPECT_NEAR(1.0 - d[0], exact.meetingProbability, 1e-12);
        }
}

namespace {

// Pearson's statistic of a histogram of `runs` runs against a distribution, the counts at
// either end pooled until every bin expects at least 5 runs; with its degrees of freedom.
std::pair<double, int> chiSquare(const std::vector<long long> &histogram,
                                 const std::vector<double> &distribution, long long runs)
{
    const std::size_t size = std::max(histogram.size(), distribution.size());
    std::vector<double> observed(size, 0.0), expected(size, 0.0);
    for (std::size_t k = 0; k < size; ++k) {
        observed[k] = k < histogram.size() ? static_cast<double>(histogram[k]) : 0.0;
        expected[k] = k < distribution.size() ? distribution[k] * static_cast<double>(runs) : 0.0;
    }
    std::vector<std::pair<double, double>> bins{{0.0, 0.0}};
    for (std::size_t k = 0; k < size; ++k) {
        if (bins.back().second >= 5.0)
            bins.emplace_back(0.0, 0.0);
        bins.back().first += observed[k];
        bins.back().second += expected[k];
    }
    while (bins.size() > 1 && bins.back().second < 5.0) { // the upper tail into its neighbour
        bins[bins.size() - 2].first += bins.back().first;
        bins[bins.size() - 2].second += bins.back().second;
        bins.pop_back();
    }
    double statistic = 0.0;
    for (const auto &[o, e] : bins)
        statistic += (o - e) * (o - e) / e;
    return {statistic, static_cast<int>(bins.size()) - 1};
}

// The chi-square value exceeded with probability 0.001 (Wilson and Hilferty's approximation).
double chiSquareLimit(int degrees)
{
    const double d = degrees, z = 3.0902;
    return d * std::pow(1.0 - 2.0 / (9.0 * d) + z * std::sqrt(2.0 / (9.0 * d)), 3.0);
}

} // namespace

// Large batches through the engine, with fixed seeds: each histogram fits the exact
// distribution of its own mode and points (at the 0.1% level), and plainly not the other
// mode's, so the comparison can tell the two apart.
TEST(MeetingDistribution, ALargeBatchFitsIt)
{
    constexpr long long kRuns = 1500;
    const std::vector<BatchRequest> requests{{Mode::Both, {}, kRuns, 20261207},
                                             {Mode::Dog, {}, kRuns, 20261207}};
    const auto outcomes = runBatches(requests, 2);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const BatchRequest &r = requests[i];
        SCOPED_TRACE(testing::Message() << modeKey(r.mode) << " request " << i);
        const auto histogram = summarize(outcomes[i]).histogram;
        const auto [statistic, degrees] =
            chiSquare(histogram, meetingDistribution(r.mode, r.start, ticksPerTimer()), kRuns);
        EXPECT_GE(degrees, 10);
        EXPECT_LT(statistic, chiSquareLimit(degrees));
        const Mode other = r.mode == Mode::Both ? Mode::Dog : Mode::Both;
        const auto [against, otherDegrees] =
            chiSquare(histogram, meetingDistribution(other, r.start, ticksPerTimer()), kRuns);
        EXPECT_GT(against, 10 * chiSquareLimit(otherDegrees));
    }
}
