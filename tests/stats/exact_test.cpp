#include "exact.h"
#include "headless.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace perne;
using namespace perne::stats;

namespace {

constexpr double kTolerance = 1e-12;

// Hands the controller the directions of a script, one per tick.
class ScriptedDirections final : public RandomSource
{
public:
    explicit ScriptedDirections(std::vector<int> directions) : m_directions(std::move(directions))
    {}
    void reseed(float) override {}
    double next() override { return (m_directions.at(m_next++) - 0.5) / kDirectionCount; }

private:
    std::vector<int> m_directions;
    std::size_t m_next = 0;
};

// The same expectations, found by driving the window's run logic through every possible
// sequence of directions (each equally likely) for a run of `periods` periods.
ExactValues enumerateRuns(Mode mode, StartingPoints start, int periods)
{
    // Momotaro's draws change nothing while only the dog moves: give him direction 1 always.
    const int drawsPerPeriod = mode == Mode::Both ? 2 : 1;
    const int draws = drawsPerPeriod * periods;
    long long sequences = 1;
    for (int i = 0; i < draws; ++i)
        sequences *= kDirectionCount;

    ExactValues sum;
    double firstMeetingTime = 0.0;
    for (long long code = 0; code < sequences; ++code) {
        std::vector<int> directions;
        long long rest = code;
        for (int p = 0; p < periods; ++p) {
            for (int t = 0; t < 2; ++t) {
                if (t == 1 && mode == Mode::Dog) {
                    directions.push_back(1);
                    continue;
                }
                directions.push_back(static_cast<int>(rest % kDirectionCount) + 1);
                rest /= kDirectionCount;
            }
        }
        WindowModel window;
        ScriptedPrompter prompter({std::to_string(start.momotaro.x),
                                   std::to_string(start.momotaro.y), std::to_string(start.dog.x),
                                   std::to_string(start.dog.y)});
        CountingCues cues;
        SimulatedClock clock;
        ScriptedDirections random(directions);
        RunController controller(window, prompter, cues, clock, random);
        controller.load();
        mode == Mode::Both ? controller.command2Click() : controller.command3Click();
        controller.command5Click();

        bool met = false;
        for (int p = 1; p <= periods; ++p) {
            clock.advancePeriods(1);
            for (int t = 0; t < 2; ++t) {
                const RunState before = controller.state().runState;
                const bool steps = t == 0 ? isWalking(before) : before == RunState::BothWalking;
                sum.meanMoves += steps ? 1 : 0;
                t == 0 ? controller.timer1Tick() : controller.timer2Tick();
                if (!met && controller.state().meetingCount > 0) {
                    met = true;
                    sum.meetingProbability += 1;
                    firstMeetingTime += 0.2 * p;
                }
            }
        }
        sum.meanMeetings += controller.state().meetingCount;
    }
    const auto n = static_cast<double>(sequences);
    ExactValues mean;
    mean.ticksPerTimer = periods;
    mean.meanMeetings = sum.meanMeetings / n;
    mean.meetingProbability = sum.meetingProbability / n;
    mean.meanMoves = sum.meanMoves / n;
    if (sum.meetingProbability > 0)
        mean.firstMeetingSeconds = firstMeetingTime / sum.meetingProbability;
    return mean;
}

void expectSame(const ExactValues &expected, const ExactValues &actual)
{
    EXPECT_NEAR(actual.meanMeetings, expected.meanMeetings, kTolerance);
    EXPECT_NEAR(actual.meetingProbability, expected.meetingProbability, kTolerance);
    EXPECT_NEAR(actual.meanMoves, expected.meanMoves, kTolerance);
    ASSERT_EQ(actual.firstMeetingSeconds.has_value(), expected.firstMeetingSeconds.has_value());
    if (expected.firstMeetingSeconds) {
        EXPECT_NEAR(*actual.firstMeetingSeconds, *expected.firstMeetingSeconds, kTolerance);
    }
}

StartingPoints points(Point momotaro, Point dog)
{
    return {momotaro, dog};
}

} // namespace

// Same point at the start: nothing is counted then; in a corner the dog stays put with
// probability 3/8 and that step is a meeting, which Momotaro's tick then resets.
TEST(ExactValues, IdenticalStartsMeetOnlyWhenTheEdgeHoldsTheDog)
{
    const ExactValues corner = exactValues(Mode::Dog, points({0, 0}, {0, 0}), 1);
    EXPECT_NEAR(corner.meanMeetings, 3.0 / 8, kTolerance);
    EXPECT_NEAR(corner.meetingProbability, 3.0 / 8, kTolerance);
    EXPECT_NEAR(*corner.firstMeetingSeconds, 0.2, kTolerance);
    EXPECT_NEAR(corner.meanMoves, 1.0, kTolerance); // Momotaro's tick makes no move
    EXPECT_NEAR(*corner.meetingsPer100Moves, 37.5, kTolerance);

    // Away from the edge every step leaves the point: no meeting can be counted.
    const ExactValues middle = exactValues(Mode::Dog, points({4, 4}, {4, 4}), 1);
    EXPECT_EQ(middle.meanMeetings, 0.0);
    EXPECT_EQ(middle.meetingProbability, 0.0);
    EXPECT_FALSE(middle.firstMeetingSeconds.has_value());
    EXPECT_NEAR(*middle.meetingsPer100Moves, 0.0, kTolerance);
}

// Dog in the corner (0,0), Momotaro standing at (1,0), worked out by hand for two periods:
// period 1 meets with 2/8 (directions 1 and 8), and Momotaro's tick puts the dog back;
// period 2 starts from (0,0) 5/8, (0,1) 2/8, (1,1) 1/8 and meets with 13/64.
TEST(ExactValues, DogInACornerNextToMomotaroOverTwoPeriods)
{
    const ExactValues two = exactValues(Mode::Dog, points({1, 0}, {0, 0}), 2);
    EXPECT_NEAR(two.meanMeetings, 29.0 / 64, kTolerance);
    // Without a first meeting the dog is at (0,0) 3/8, (0,1) 2/8, (1,1) 1/8: 9/64 more.
    EXPECT_NEAR(two.meetingProbability, 25.0 / 64, kTolerance);
    EXPECT_NEAR(*two.firstMeetingSeconds, (16.0 * 0.2 + 9.0 * 0.4) / 25.0, kTolerance);
    EXPECT_NEAR(two.meanMoves, 2.0, kTolerance);
    EXPECT_EQ(two.ticksPerTimer, 2);
}

// Both walk, one period: the dog meets Momotaro at (0,0) with 2/8, and then Momotaro's tick
// resets instead of stepping; otherwise Momotaro's step can meet the dog with 5/64.
TEST(ExactValues, MomotarosTickResetsAMeetingOfTheSamePeriod)
{
    const ExactValues one = exactValues(Mode::Both, points({0, 0}, {1, 0}), 1);
    EXPECT_NEAR(one.meanMeetings, 21.0 / 64, kTolerance);
    EXPECT_NEAR(one.meetingProbability, 21.0 / 64, kTolerance);
    EXPECT_NEAR(one.meanMoves, 1.0 + 6.0 / 8, kTolerance);
    EXPECT_NEAR(*one.firstMeetingSeconds, 0.2, kTolerance);
    EXPECT_NEAR(*one.meetingsPer100Moves, 100.0 * (21.0 / 64) / 1.75, kTolerance);
}

// Every possible sequence of directions, played through the window's own handlers: the
// reset on the other timer's tick, the reset on the next period's tick, identical starts.
TEST(ExactValues, AgreeWithEveryRunOfTheRealHandlers)
{
    expectSame(enumerateRuns(Mode::Both, points({0, 0}, {1, 1}), 2),
               exactValues(Mode::Both, points({0, 0}, {1, 1}), 2));
    expectSame(enumerateRuns(Mode::Both, points({10, 0}, {10, 0}), 2),
               exactValues(Mode::Both, points({10, 0}, {10, 0}), 2));
    expectSame(enumerateRuns(Mode::Both, points({5, 10}, {6, 9}), 2),
               exactValues(Mode::Both, points({5, 10}, {6, 9}), 2));
    expectSame(enumerateRuns(Mode::Dog, points({1, 0}, {0, 1}), 4),
               exactValues(Mode::Dog, points({1, 0}, {0, 1}), 4));
    expectSame(enumerateRuns(Mode::Dog, points({0, 0}, {0, 0}), 3),
               exactValues(Mode::Dog, points({0, 0}, {0, 0}), 3));
}

// The lattice and the step rule look the same in a mirror and across the diagonal.
TEST(ExactValues, MirroredStartingPointsGiveTheSameValues)
{
    const auto mirror = [](Point p) { return Point{static_cast<std::int16_t>(10 - p.x), p.y}; };
    const auto turn = [](Point p) { return Point{p.y, p.x}; };
    const Point momotaro{1, 3};
    const Point dog{2, 6};
    for (const Mode mode : kAllModes) {
        const ExactValues plain = exactValues(mode, points(momotaro, dog), 60);
        const ExactValues mirrored = exactValues(mode, points(mirror(momotaro), mirror(dog)), 60);
        const ExactValues turned = exactValues(mode, points(turn(momotaro), turn(dog)), 60);
        EXPECT_GT(plain.meanMeetings, 0.01);
        expectSame(plain, mirrored);
        expectSame(plain, turned);
    }
}

// The 180-second run: the dog steps on every Timer1 tick (resets fall on Momotaro's tick),
// and a run from (4,4) and (6,4) almost surely meets, more often with both walking.
TEST(ExactValues, AWholeRunOfTheEngine)
{
    const long long ticks = ticksPerTimer();
    const ExactValues dog = exactValues(Mode::Dog, {}, ticks);
    EXPECT_NEAR(dog.meanMoves, static_cast<double>(ticks), 1e-9);
    EXPECT_GT(dog.meetingProbability, 0.99);
    EXPECT_LT(dog.meetingProbability, 1.0);

    const ExactValues both = exactValues(Mode::Both, {}, ticks);
    EXPECT_GT(both.meanMeetings, dog.meanMeetings);
    EXPECT_LT(both.meanMoves, 2.0 * static_cast<double>(ticks));
    EXPECT_GT(both.meanMoves, 2.0 * static_cast<double>(ticks) - both.meanMeetings - 1e-9);
    EXPECT_LT(*both.meetingsPer100Moves, *dog.meetingsPer100Moves);
}

// The tick count comes from the engine's own limit test: a headless run lasts exactly that
// many periods, also where single precision rounds the clock and across midnight.
TEST(TicksPerTimer, MatchesTheLengthOfAHeadlessRun)
{
    EXPECT_EQ(ticksPerTimer(), 901);
    for (const double start : {36000.0, 0.0, 1234.567, 86399.9, 86300.3, 50000.05}) {
        HeadlessSimulation simulation(7, start);
        ASSERT_TRUE(simulation.setUpAndStart(RunState::DogWalking, {4, 4}, {6, 4}));
        EXPECT_EQ(simulation.driver.runUntilStopped(), ticksPerTimer(start)) << start;
    }
}

// Without a time limit: a long enough run leaves no chance of never meeting, and then the
// mean over the runs that met is the unlimited expectation.
TEST(UnlimitedFirstMeeting, IsWhereLongerAndLongerRunsGo)
{
    const StartingPoints corner{{10, 10}, {0, 0}};
    const ExactValues long_ = exactValues(Mode::Dog, corner, 20000);
    ASSERT_GT(long_.meetingProbability, 1.0 - 1e-12);
    const auto unlimited = unlimitedFirstMeetingSeconds(Mode::Dog, corner);
    ASSERT_TRUE(unlimited.has_value());
    EXPECT_NEAR(*unlimited, *long_.firstMeetingSeconds, 1e-9);
}

// The 180-second run splits the unlimited expectation U into the runs that met, with mean C,
// and those that did not, which meet 180.2 s or more after Start: with p the chance to meet,
// (U - p C) / (1 - p) is the mean first meeting of the runs the limit cut off.
TEST(UnlimitedFirstMeeting, AgreesWithTheRunsThatTheTimeLimitEnds)
{
    const long long ticks = ticksPerTimer();
    const double limit = static_cast<double>(ticks) * 0.2;
    for (const Mode mode : kAllModes) {
        const ExactValues run = exactValues(mode, {}, ticks);
        const auto unlimited = unlimitedFirstMeetingSeconds(mode, {});
        ASSERT_TRUE(unlimited.has_value());
        EXPECT_GT(*unlimited, *run.firstMeetingSeconds);
        const double p = run.meetingProbability;
        const double cutOff = (*unlimited - p * *run.firstMeetingSeconds) / (1.0 - p);
        EXPECT_GT(cutOff, limit) << modeKey(mode);
        EXPECT_LT(cutOff, limit + 2.0 * *unlimited) << modeKey(mode);
    }
}

// Every start has an answer (the dog can reach every point), and starts that are mirror
// images of each other have the same one.
TEST(UnlimitedFirstMeeting, EveryStartHasAnAnswerAndMirrorsAgree)
{
    const auto a = unlimitedFirstMeetingSeconds(Mode::Both, {{0, 0}, {0, 0}});
    const auto b = unlimitedFirstMeetingSeconds(Mode::Both, {{10, 10}, {10, 10}});
    const auto c = unlimitedFirstMeetingSeconds(Mode::Both, {{0, 10}, {0, 10}});
    ASSERT_TRUE(a && b && c);
    EXPECT_GT(*a, 0.2);
    EXPECT_NEAR(*a, *b, 1e-9);
    EXPECT_NEAR(*a, *c, 1e-9);
    const auto d = unlimitedFirstMeetingSeconds(Mode::Dog, {{2, 7}, {9, 1}});
    const auto e = unlimitedFirstMeetingSeconds(Mode::Dog, {{7, 2}, {1, 9}});
    ASSERT_TRUE(d && e);
    EXPECT_NEAR(*d, *e, 1e-9);
}
