#include "headless.h"
#include "texts.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace perne;

namespace {

// Runs period by period until both timers are off, checking that both tick on every period
// up to the last.
long long runToTheEnd(HeadlessSimulation &sim)
{
    long long periods = 0;
    while (periods < 2000 && sim.window.timerEnabled(Timer::Timer1) &&
           sim.window.timerEnabled(Timer::Timer2)) {
        EXPECT_TRUE(sim.driver.advance());
        ++periods;
    }
    EXPECT_FALSE(sim.window.timerEnabled(Timer::Timer1));
    EXPECT_FALSE(sim.window.timerEnabled(Timer::Timer2));
    EXPECT_FALSE(sim.driver.advance());
    return periods;
}

long long count(const std::vector<std::string> &cues, std::string_view file)
{
    return std::count(cues.begin(), cues.end(), file);
}

} // namespace

// Both timers tick 901 times: the 900th period is exactly 180 s, not past the limit.
TEST(HeadlessRun, AWholeRunInEachModeLasts901TicksAndResetsEveryEarlierMeeting)
{
    for (const RunState mode : {RunState::BothWalking, RunState::DogWalking}) {
        SCOPED_TRACE(static_cast<int>(mode));
        HeadlessSimulation sim(20261206);
        ASSERT_TRUE(sim.setUpAndStart(mode, {4, 4}, {6, 4}));
        EXPECT_EQ(runToTheEnd(sim), 901);

        EXPECT_EQ(sim.window.caption(Label::Label4), " 180 / 180 秒");
        EXPECT_FALSE(sim.window.buttonEnabled(Button::Command4));
        EXPECT_FALSE(sim.window.buttonEnabled(Button::Command5));
        EXPECT_FALSE(sim.window.buttonEnabled(Button::Command6));
        EXPECT_TRUE(sim.window.buttonEnabled(Button::Command2));
        EXPECT_TRUE(sim.window.buttonEnabled(Button::Command3));

        const WalkState &s = sim.controller.state();
        EXPECT_GT(s.meetingCount, 0) << "a 180-second run with this seed meets at least once";
        EXPECT_EQ(sim.window.caption(Label::Label3), meetingCountText(s.meetingCount));
        // A meeting on the very last tick is counted but never reset.
        const int unreset = isMeetingPending(s.runState) ? 1 : 0;
        EXPECT_EQ(count(sim.cues.played, cue::kMeeting), s.meetingCount - unreset);
        EXPECT_EQ(count(sim.cues.played, cue::kClick), 2);
        if (mode == RunState::DogWalking) {
            EXPECT_EQ(s.momotaro.current, (Point{4, 4}));
            EXPECT_EQ(sim.window.sprite(Sprite::Picture3).position, (Point{4, 4}));
            EXPECT_EQ(sim.window.caption(Label::Label2), "桃太郎: x= 4  y= 4");
        }
    }
}

TEST(HeadlessRun, ARunAcrossMidnightStillEndsAtTheLimit)
{
    HeadlessSimulation sim(7, 86400.0 - 90.0);
    ASSERT_TRUE(sim.setUpAndStart(RunState::BothWalking, {0, 0}, {10, 10}));
    EXPECT_EQ(runToTheEnd(sim), 901);
    EXPECT_EQ(sim.window.caption(Label::Label4), " 180 / 180 秒");
    EXPECT_LT(sim.clock.now(), 100.0);
}

TEST(HeadlessRun, ARefusedSetupStartsNothingAndLeavesNoAnswersForTheNextOne)
{
    HeadlessSimulation sim(1);
    EXPECT_FALSE(sim.setUpAndStart(RunState::BothWalking, {11, 4}, {6, 4}));
    EXPECT_FALSE(sim.driver.advance());
    ASSERT_TRUE(sim.setUpAndStart(RunState::DogWalking, {1, 2}, {3, 4}));
    EXPECT_EQ(sim.controller.state().momotaro.start, (Point{1, 2}));
    EXPECT_EQ(sim.controller.state().dog.start, (Point{3, 4}));
}
