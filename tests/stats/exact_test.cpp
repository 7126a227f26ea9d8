#include "directions.h"
#include "exact.h"
#include "headless.h"
#include "lattice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

using namespace perne;
using namespace perne::stats;

namespace {

constexpr double kTolerance = 1e-12;

// A window that counts the walkers' moves: each step moves its sprite, a reset moves none.
struct MoveCountingWindow final : WindowModel
{
    void moveSprite(Sprite sprite, Point p) override
    {
        ++moves;
        WindowModel::moveSprite(sprite, p);
    }
    long long moves = 0;
};

// The same expectations by brute force: the window's own handlers driven through every
// sequence of directions (all equally likely) of a run of `periods` periods.
ExactValues enumerateRuns(Mode mode, StartingPoints start, int periods)
{
    const long long sequences = sequenceCount(mode, periods);
    ExactValues sum;
    double firstMeetingTime = 0.0;
    std::vector<double> metBy(static_cast<std::size_t>(periods) + 1, 0.0); // sequences met by
    for (long long code = 0; code < sequences; ++code) {
        EnumeratedRun<MoveCountingWindow> run(code, mode, start);
        const long long movesAtStart = run.window.moves;
        for (int period = 1; period <= periods; ++period) {
            const bool metBefore = run.state().meetingCount > 0;
            run.period();
            if (!metBefore && run.state().meetingCount > 0) {
                sum.meetingProbability += 1;
                firstMeetingTime += 0.2 * period;
            }
            metBy[static_cast<std::size_t>(period)] += run.state().meetingCount > 0;
        }
        sum.meanMoves += static_cast<double>(run.window.moves - movesAtStart);
        sum.meanMeetings += run.state().meetingCount;
    }
    const auto n = static_cast<double>(sequences);
    ExactValues mean{
        periods, sum.meanMeetings / n, sum.meetingProbability / n, {}, sum.meanMoves / n, {}, {}};
    if (sum.meetingProbability > 0)
        mean.firstMeetingSeconds = firstMeetingTime / sum.meetingProbability;
    for (const double met : metBy)
        mean.metByPeriod.push_back(met / n);
    return mean;
}

// Compares all but the rate per 100 moves, which is the quotient of two of them.
void expectSame(const ExactValues &v, const ExactValues &expected)
{
    SCOPED_TRACE(testing::Message()
                 << "ticks " << expected.ticksPerTimer << ", meetings " << expected.meanMeetings);
    EXPECT_NEAR(v.meanMeetings, expected.meanMeetings, kTolerance);
    EXPECT_NEAR(v.meetingProbability, expected.meetingProbability, kTolerance);
    EXPECT_NEAR(v.meanMoves, expected.meanMoves, kTolerance);
    EXPECT_NEAR(v.firstMeetingSeconds.value_or(-1), expected.firstMeetingSeconds.value_or(-1),
                kTolerance);
    ASSERT_EQ(v.metByPeriod.size(), expected.metByPeriod.size());
    for (std::size_t k = 0; k < v.metByPeriod.size(); ++k)
        EXPECT_NEAR(v.metByPeriod[k], expected.metByPeriod[k], kTolerance) << "period " << k;
}

} // namespace

// Worked out by hand. From one point nothing is counted at the start; in a corner the dog
// stays put with 3/8 and meets, and Momotaro's tick of that period resets (no move).
// Dog at (0,0) beside Momotaro at (1,0): period 1 meets with 2/8 (directions 1 and 8) and
// the reset puts the dog back; period 2 starts from (0,0) 5/8, (0,1) 2/8, (1,1) 1/8 and
// meets with 13/64, of which 9/64 had not met before. Both walking from (0,0) and (1,0):
// the dog meets with 2/8 and Momotaro's tick resets instead of stepping; otherwise his step
// meets the dog with 5/64. The curve adds up the first meetings period by period.
TEST(ExactValues, RunsWorkedOutByHand)
{
    // Ticks, meetings, chance to meet, first meeting (s), moves, -, met by each period.
    const std::tuple<Mode, StartingPoints, ExactValues> cases[] = {
        {Mode::Dog, {{0, 0}, {0, 0}}, {1, 3.0 / 8, 3.0 / 8, 0.2, 1, {}, {0, 3.0 / 8}}},
        {Mode::Dog, {{4, 4}, {4, 4}}, {1, 0, 0, std::nullopt, 1, {}, {0, 0}}},
        {Mode::Dog,
         {{1, 0}, {0, 0}},
         {2, 29.0 / 64, 25.0 / 64, (16 * 0.2 + 9 * 0.4) / 25, 2, {}, {0, 16.0 / 64, 25.0 / 64}}},
        {Mode::Both, {{0, 0}, {1, 0}}, {1, 21.0 / 64, 21.0 / 64, 0.2, 1.75, {}, {0, 21.0 / 64}}},
    };
    for (const auto &[mode, start, expected] : cases)
        expectSame(exactValues(mode, start, expected.ticksPerTimer), expected);
}

// Every sequence of directions through the real handlers: resets on the other timer's tick
// and on the next period's, edges, corners and identical starts.
TEST(ExactValues, AgreeWithEveryRunOfTheRealHandlers)
{
    const std::tuple<Mode, StartingPoints, int> cases[] = {
        {Mode::Both, {{0, 0}, {1, 1}}, 2},  {Mode::Both, {{10, 0}, {10, 0}}, 2},
        {Mode::Both, {{5, 10}, {6, 9}}, 2}, {Mode::Dog, {{1, 0}, {0, 1}}, 4},
        {Mode::Dog, {{0, 0}, {0, 0}}, 3},
    };
    for (const auto &[mode, start, periods] : cases)
        expectSame(exactValues(mode, start, periods), enumerateRuns(mode, start, periods));
}

// The stencil that steps the exact distributions is the engine's step rule: from every
// point, one step along the rows and one within them spread the mass as the eight
// directions of step() do.
TEST(Lattice, TheStencilStepsAsTheEngineDoes)
{
    std::vector<double> along(kPoints), within(kPoints), scratch;
    for (int from = 0; from < kPoints; ++from) {
        std::vector<double> expected(kPoints, 0.0);
        for (StepDirection d = 1; d <= kDirectionCount; ++d)
            expected[static_cast<std::size_t>(indexOf(step(pointAt(from), d)))] += 0.125;
        std::vector<double> unit(kPoints, 0.0);
        unit[static_cast<std::size_t>(from)] = 1.0;
        stepAlongRows(unit, along, scratch, 1);
        stepWithinRows(unit, within, scratch);
        EXPECT_EQ(along, expected) << from;
        EXPECT_EQ(within, expected) << from;
    }
}

// The 180-second run's curve: from 0 at Start, never falling, one value per period, ending
// on the very chance to meet that the same propagation gives.
TEST(ExactValues, TheCurveEndsOnTheChanceToMeet)
{
    for (const Mode mode : kAllModes) {
        for (const StartingPoints start : {StartingPoints{}, StartingPoints{{0, 0}, {10, 10}}}) {
            const ExactValues v = exactValues(mode, start, ticksPerTimer());
            ASSERT_EQ(v.metByPeriod.size(), static_cast<std::size_t>(ticksPerTimer()) + 1);
            EXPECT_EQ(v.metByPeriod.front(), 0.0);
            EXPECT_TRUE(std::is_sorted(v.metByPeriod.begin(), v.metByPeriod.end()));
            EXPECT_EQ(v.metByPeriod.back(), v.meetingProbability) << modeKey(mode);
            // Starting ten steps apart, nobody can meet in the first four periods.
            if (start.dog.x == 10) {
                EXPECT_EQ(v.metByPeriod[4], 0.0);
            }
        }
    }
}

// Without a time limit. Only the dog: a run long enough to leave no chance of never meeting
// has the same mean first meeting. Both modes: with p the chance to meet within the
// 180-second run and C the mean first meeting of those runs, the unlimited expectation U
// gives (U - p C) / (1 - p) for the runs the limit cut off: they meet after it, and (the
// walk having long forgotten its start by then) well within 2 U more.
TEST(UnlimitedFirstMeeting, AgreesWithLongRunsAndWithTheRunsTheLimitCutsOff)
{
    const StartingPoints corner{{10, 10}, {0, 0}};
    const ExactValues longRun = exactValues(Mode::Dog, corner, 20000);
    ASSERT_GT(longRun.meetingProbability, 1.0 - 1e-12);
    EXPECT_NEAR(unlimitedFirstMeetingSeconds(Mode::Dog, corner).value(),
                *longRun.firstMeetingSeconds, 1e-9);

    for (const Mode mode : kAllModes) {
        const ExactValues run = exactValues(mode, {}, ticksPerTimer());
        const double unlimited = unlimitedFirstMeetingSeconds(mode, {}).value();
        const double p = run.meetingProbability;
        const double cutOff = (unlimited - p * *run.firstMeetingSeconds) / (1 - p);
        EXPECT_GT(cutOff, 0.2 * ticksPerTimer()) << modeKey(mode);
        EXPECT_LT(cutOff, 0.2 * ticksPerTimer() + 2 * unlimited) << modeKey(mode);
    }
}
