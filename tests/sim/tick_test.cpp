#include "fakes.h"
#include "runclock.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace perne;
using perne::test::enabling;
using perne::test::Lines;
using perne::test::Rig;

namespace {

constexpr double kStart = 36000.0;

// A run set up and started at kStart.
struct Running : Rig
{
    Running(RunState mode, Point momotaro, Point dog, double at = kStart)
    {
        clock.now = at;
        setUp(mode, momotaro, dog);
        start();
    }
};

} // namespace

TEST(DogTick, ShowsTheTimeThenShowsTheSpriteThenDrawsAndSteps)
{
    Running r(RunState::BothWalking, {4, 4}, {6, 4});
    r.clock.now = kStart + 12.6;
    r.clock.next = {static_cast<float>(kStart + 12.6), 36012.65f};
    r.random.directions({1});
    r.controller.timer1Tick();
    EXPECT_EQ(r.window.take(), (Lines{"Label4 \" 12 / 180 秒\"", "Picture2 visible",
                                      "Picture2 at 7,4", "Label1 \"犬: x= 7  y= 4\""}));
    // The reseed takes a second reading of the clock, not the one the label was made from.
    EXPECT_EQ(r.random.reseeds, (std::vector<float>{36012.65f}));
}

TEST(MomotaroTick, InTwoWalkerModeStepsMomotaroAndWritesLabel2)
{
    Running r(RunState::BothWalking, {4, 4}, {6, 4});
    r.clock.now = kStart + 0.2;
    r.random.directions({7});
    r.controller.timer2Tick();
    EXPECT_EQ(r.window.take(), (Lines{"Label4 \" 0 / 180 秒\"", "Picture3 visible",
                                      "Picture3 at 4,3", "Label2 \"桃太郎: x= 4  y= 3\""}));
    EXPECT_EQ(r.controller.state().dog.current, (Point{6, 4}));
}

TEST(MomotaroTick, InOneWalkerModeOnlyShowsTheTimeAndStopsAtTheLimit)
{
    Running r(RunState::DogWalking, {4, 4}, {6, 4});
    r.clock.now = kStart + 100.0;
    r.random.directions({5});
    r.controller.timer2Tick();
    EXPECT_EQ(r.window.take(), (Lines{"Label4 \" 100 / 180 秒\"", "Picture3 visible"}));
    EXPECT_EQ(r.random.reseeds.size(), 1u) << "every tick draws, stepping or not";

    r.clock.now = kStart + 180.2;
    r.random.directions({5});
    r.controller.timer2Tick();
    EXPECT_EQ(r.window.take(), (Lines{"Label4 \" 180 / 180 秒\"", "Timer2 off", "Command4 off",
                                      "Command2 on", "Command3 on", "Picture3 visible"}));
    EXPECT_EQ(r.controller.state().momotaro.current, (Point{4, 4}));
}

// Exactly 180 s is not past the limit; the first tick past it still makes its step and
// counts the meeting the step makes.
TEST(DogTick, TheTickPastTheLimitStopsItsTimerButStillStepsAndCounts)
{
    Running r(RunState::BothWalking, {5, 4}, {4, 4});
    r.clock.now = kStart + 180.0;
    r.random.directions({3});
    r.controller.timer1Tick();
    EXPECT_TRUE(r.window.timerEnabled(Timer::Timer1));
    r.window.take();

    r.clock.now = kStart + 180.2;
    r.random.directions({8});
    r.controller.timer1Tick();
    EXPECT_EQ(r.window.take(),
              (Lines{"Label4 \" 180 / 180 秒\"", "Timer1 off", "Command4 off", "Command2 on",
                     "Command3 on", "Picture2 visible", "Picture2 at 5,4",
                     "Label1 \"犬: x= 5  y= 4\"", "Label3 \"ペルネ回数＝ 1\""}));
    EXPECT_EQ(r.controller.state().runState, RunState::BothMet);
    EXPECT_EQ(enabling(r.window), "++--- -+");
}

// The reset tick plays the cue and refreshes the time, but leaves the sprites drawn at the
// meeting point and the coordinate and count labels as they were.
TEST(ResetTick, PlaysTheMeetingCueAndPutsTheWalkersBackWithoutDrawingThem)
{
    Running r(RunState::BothWalking, {4, 4}, {6, 4});
    r.random.directions({5, 1});
    r.period(); // dog to 5,4; Momotaro to 5,4: a meeting
    EXPECT_EQ(
        r.window.take(),
        (Lines{"Label4 \" 0 / 180 秒\"", "Picture2 visible", "Picture2 at 5,4",
               "Label1 \"犬: x= 5  y= 4\"", "Label4 \" 0 / 180 秒\"", "Picture3 visible",
               "Picture3 at 5,4", "Label2 \"桃太郎: x= 5  y= 4\"", "Label3 \"ペルネ回数＝ 1\""}));

    r.random.directions({2, 2});
    r.period(); // Timer1 resets; Timer2 walks on from Momotaro's start
    EXPECT_EQ(r.window.take(),
              (Lines{"Label4 \" 0 / 180 秒\"", "Picture2 visible", "cue logoff.wav",
                     "Label4 \" 0 / 180 秒\"", "Picture3 visible", "Picture3 at 5,5",
                     "Label2 \"桃太郎: x= 5  y= 5\""}));
    EXPECT_EQ(r.controller.state().runState, RunState::BothWalking);
    EXPECT_EQ(r.controller.state().dog.current, (Point{6, 4}));
    EXPECT_EQ(r.controller.state().meetingCount, 1);
    EXPECT_EQ(r.random.reseeds.size(), 4u) << "the reset tick draws too";
}

TEST(Meeting, InOneWalkerModeIsTheDogReachingMomotarosStartAndTimer2Resets)
{
    Running r(RunState::DogWalking, {4, 4}, {6, 4});
    r.random.directions({5, 3, 5});
    r.period();
    r.controller.timer1Tick();
    EXPECT_EQ(r.controller.state().runState, RunState::DogMet);
    EXPECT_EQ(r.window.caption(Label::Label3), "ペルネ回数＝ 1");
    r.window.take();
    r.random.directions({1});
    r.controller.timer2Tick();
    EXPECT_EQ(r.window.take(),
              (Lines{"Label4 \" 0 / 180 秒\"", "Picture3 visible", "cue logoff.wav"}));
    EXPECT_EQ(r.controller.state().runState, RunState::DogWalking);
    EXPECT_EQ(r.controller.state().dog.current, (Point{6, 4}));
}

TEST(Meeting, WalkersThatCrossOrSwapPlacesWithoutSharingAPointDoNotMeet)
{
    // Crossing diagonals: the dog 4,4 -> 5,5 while Momotaro 5,4 -> 4,5.
    Running cross(RunState::BothWalking, {5, 4}, {4, 4});
    cross.random.directions({2, 4});
    cross.period();
    EXPECT_EQ(cross.controller.state().runState, RunState::BothWalking);

    // A swap over three ticks: dog 4,4 -> 5,4 -> 5,5; Momotaro 5,5 -> 4,4.
    Running swap(RunState::BothWalking, {5, 5}, {4, 4});
    swap.random.directions({1, 6, 3, 1});
    swap.period();
    swap.period();
    EXPECT_EQ(swap.controller.state().dog.current, (Point{5, 5}));
    EXPECT_EQ(swap.controller.state().runState, RunState::BothWalking);
    EXPECT_EQ(swap.controller.state().meetingCount, 0);
}

// Walkers that start on one point have not met; only a step the clamp cancels is a meeting.
TEST(Meeting, FromASharedStartOnlyAStepThatStaysPutCounts)
{
    Running r(RunState::BothWalking, {0, 0}, {0, 0});
    EXPECT_EQ(r.controller.state().meetingCount, 0);
    r.random.directions({5});
    r.controller.timer1Tick(); // left from 0,0: stays, so it lands on Momotaro
    EXPECT_EQ(r.controller.state().meetingCount, 1);
    r.random.directions({1, 1});
    r.controller.timer2Tick(); // resets both onto 0,0 without counting
    EXPECT_EQ(r.controller.state().runState, RunState::BothWalking);
    r.controller.timer1Tick(); // dog to 1,0
    EXPECT_EQ(r.controller.state().meetingCount, 1);
    EXPECT_EQ(r.controller.state().runState, RunState::BothWalking);
}

// The timers stop one after the other within the same period.
TEST(StoppingTicks, AMeetingOnTheLastStopIsCountedButNeverReset)
{
    Running r(RunState::BothWalking, {4, 4}, {6, 4});
    r.clock.now = kStart + 180.0;
    r.random.directions({5, 1});
    r.period();
    EXPECT_EQ(enabling(r.window), "++--- --");
    EXPECT_EQ(r.controller.state().runState, RunState::BothMet);
    EXPECT_EQ(r.window.caption(Label::Label3), "ペルネ回数＝ 1");
    const Lines lines = r.window.take();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "cue logoff.wav"), 0);
}

TEST(StoppingTicks, AMeetingOnTheFirstStopIsResetByTheOtherTimersStoppingTick)
{
    Running r(RunState::BothWalking, {5, 4}, {6, 4});
    r.clock.now = kStart + 180.0;
    r.random.directions({5, 1});
    r.period();
    EXPECT_EQ(r.window.take(),
              (Lines{"Label4 \" 180 / 180 秒\"", "Timer1 off", "Command4 off", "Command2 on",
                     "Command3 on", "Picture2 visible", "Picture2 at 5,4",
                     "Label1 \"犬: x= 5  y= 4\"", "Label3 \"ペルネ回数＝ 1\"",
                     "Label4 \" 180 / 180 秒\"", "Timer2 off", "Command4 off", "Command2 on",
                     "Command3 on", "Picture3 visible", "cue logoff.wav"}));
    EXPECT_EQ(r.controller.state().runState, RunState::BothWalking);
    EXPECT_EQ(r.controller.state().meetingCount, 1);
}

TEST(RunClock, AcrossMidnightTheElapsedTimeKeepsGrowingAndTheLimitHolds)
{
    EXPECT_DOUBLE_EQ(elapsedSeconds(86390.0f, 10.0f), 20.0);
    EXPECT_DOUBLE_EQ(elapsedSeconds(100.0f, 100.0f), 0.0);
    EXPECT_FALSE(pastTimeLimit(elapsedSeconds(86300.0f, 80.0f)));
    EXPECT_TRUE(pastTimeLimit(elapsedSeconds(86300.0f, 80.25f)));

    Running r(RunState::DogWalking, {4, 4}, {6, 4}, 86399.9);
    r.clock.now = 179.6;
    r.random.directions({1, 1, 1, 1});
    r.period();
    EXPECT_EQ(r.window.caption(Label::Label4), " 179 / 180 秒");
    EXPECT_EQ(enabling(r.window), "--+-- ++");
    r.period();
    EXPECT_EQ(r.window.caption(Label::Label4), " 180 / 180 秒");
    EXPECT_EQ(enabling(r.window), "++--- --");
}

// Saturates the count through the handlers: the dog steps onto Momotaro on every Timer1
// tick and Timer2 resets, while the clock stands still.
TEST(MeetingCount, ThroughTheTicksStopsAt32767AndTheRunGoesOn)
{
    Running r(RunState::DogWalking, {5, 5}, {4, 5});
    r.clock.now = kStart + 1.0;
    for (int i = 0; i < 32767 + 5; ++i) {
        r.random.directions({1, 1});
        r.controller.timer1Tick();
        r.controller.timer2Tick();
    }
    r.window.take();
    EXPECT_EQ(r.controller.state().meetingCount, 32767);
    EXPECT_EQ(r.window.caption(Label::Label3), "ペルネ回数＝ 32767");
    r.random.directions({1});
    r.controller.timer1Tick();
    EXPECT_EQ(r.controller.state().runState, RunState::DogMet);
    EXPECT_EQ(enabling(r.window), "--+-- ++");
}
