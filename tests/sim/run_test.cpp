// The run logic driven one handler at a time through small fakes: a window that writes each
// call as one line, compared with a short list of expected lines, the scripted prompter, the
// simulated clock, and draws chosen by direction. Then whole headless runs, the step tables
// and the direction draws.

#include "coordinateanswer.h"
#include "headless.h"
#include "random.h"
#include "recordingwindow.h"
#include "texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <deque>
#include <optional>

using namespace perne;

namespace {

// The run logic on the recording window, the scripted prompter and the simulated clock; its
// draws give the directions queued in `directions`.
struct Rig final : RandomSource
{
    RecordingWindow window;
    ScriptedPrompter prompter;
    SimulatedClock clock;
    std::deque<int> directions;
    RunController controller{window, prompter, window, clock, *this};
    HeadlessDriver driver{controller, window.model, clock};

    Rig() { controller.load(); }
    // Loaded, set up with these answers through the mode button and started.
    Rig(RunState mode, Point momotaro, Point dog) : Rig()
    {
        for (const int v : {momotaro.x, momotaro.y, dog.x, dog.y})
            prompter.push(std::to_string(v));
        mode == RunState::BothWalking ? controller.command2Click() : controller.command3Click();
        controller.command5Click();
        take();
    }
    void reseed(float) override {}
    double next() override
    {
        const int d = directions.at(0); // a draw nobody queued throws and fails the test
        directions.pop_front();
        return (d - 0.5) / kDirectionCount;
    }
    Lines take() { return std::exchange(window.lines, {}); }
    // One timer period whose ticks draw these directions in turn; returns its lines.
    Lines period(std::deque<int> queued)
    {
        directions = std::move(queued);
        driver.advance();
        EXPECT_TRUE(directions.empty()) << "every tick draws, stepping or not";
        return take();
    }
    std::string enabled() const { return enabling(window.model); }
};

} // namespace

TEST(CoordinateAnswer, IsAcceptedInZeroToTenAndRoundedHalfToEven)
{
    const std::string thousandDigits(1000, '7');
    const std::pair<std::string, std::optional<int>> cases[] = {
        {"10", 10},     {"10.4", {}},         {"-0.4", {}}, {"0.5", 0},  {"1.5", 2},
        {"2.5", 2},     {"   ", 0},           {"7x", 7},    {"abc", 0},  {"", {}},
        {"５", 5},      {"１０", 10},         {"－１", {}}, {"　３", 3}, {"1e400", {}},
        {"-1e999", {}}, {thousandDigits, {}},
    };
    for (const auto &[text, accepted] : cases)
        EXPECT_EQ(acceptCoordinate(text), accepted) << '"' << text << '"';
}

// The enabling table row by row through the handlers, with the whole effect of load, an
// accepted setup, Start and Stop.
TEST(RunControl, EnablingFollowsEveryEventOfARunAndItsRestarts)
{
    Rig r;
    EXPECT_EQ(r.take(), (Lines{"Picture2 off", "Picture3 off", "Command4 off", "Command5 off"}));
    for (const char *answer : {"4", "3", "6", "9"})
        r.prompter.push(answer);
    r.controller.command2Click();
    EXPECT_EQ(r.take(),
              (Lines{"cue pinpon.wav", "Label3 \"ペルネ回数＝ 0\"", "Picture2 on", "Picture3 on",
                     "Picture2 at 6,9", "Picture3 at 4,3", "Label1 \"犬: x= 6  y= 9\"",
                     "Label2 \"桃太郎: x= 4  y= 3\"", "Command2 off", "Command3 off",
                     "Command4 off", "Command5 on", "Command6 off", "Label4 \"\""}));
    r.controller.command5Click();
    EXPECT_EQ(r.take(),
              (Lines{"cue pinpon.wav", "Timer1 on", "Timer2 on", "Command4 on", "Command5 off"}));
    EXPECT_EQ(r.period({1, 1}),
              (Lines{"Label4 \" 0 / 180 秒\"", "Picture2 on", "Picture2 at 7,9",
                     "Label1 \"犬: x= 7  y= 9\"", "Label4 \" 0 / 180 秒\"", "Picture3 on",
                     "Picture3 at 5,3", "Label2 \"桃太郎: x= 5  y= 3\""}));
    r.controller.command4Click();
    EXPECT_EQ(r.take(), (Lines{"cue pinpon.wav", "Command2 on", "Command3 on", "Command4 off",
                               "Command6 on", "Timer1 off", "Timer2 off"}));
}

// A refused or cancelled answer at any prompt ends the setup there: the answers this attempt
// already accepted stay stored, and only Command6 is enabled.
TEST(RunControl, ARefusedOrCancelledAnswerKeepsTheAcceptedValuesAndOnlyEnablesCommand6)
{
    for (const char *bad : {"", "11", "-1"}) {
        for (std::size_t at = 0; at < 4; ++at) {
            SCOPED_TRACE(std::string(bad) + " at prompt " + std::to_string(at + 1));
            Rig r(RunState::BothWalking, {1, 2}, {3, 4});
            r.controller.command4Click();
            r.take();
            for (std::size_t i = 0; i < 4; ++i)
                r.prompter.push(i == at ? bad : std::to_string(7 + i));
            r.controller.command3Click();
            EXPECT_EQ(r.take(), (Lines{"cue pinpon.wav", "Command6 on"}));
            EXPECT_EQ(r.prompter.pending(), 3 - at) << "no prompt after the refused one";
            const WalkState &s = r.controller.state();
            const int starts[] = {s.momotaro.start.x, s.momotaro.start.y, s.dog.start.x,
                                  s.dog.start.y};
            for (std::size_t i = 0; i < 4; ++i)
                EXPECT_EQ(starts[i], i < at ? 7 + i : 1 + i) << "start value " << i + 1;
        }
    }
}

// A front end that cannot wait in its input box answers the prompts one by one: it sees the
// four prompts in order, and the setup leaves exactly what the mode button leaves. Answers
// outside a setup change nothing.
TEST(RunControl, ASetUpAnsweredStepByStepEndsAsTheModeButtonDoes)
{
    Rig stepped;
    Rig clicked;
    stepped.take();
    clicked.take();
    const char *answers[] = {"3", "８", " 2.5", "10"};
    for (const char *a : answers)
        clicked.prompter.push(a);
    clicked.controller.command3Click();

    EXPECT_EQ(stepped.controller.answerPrompt("5"), nullptr);
    EXPECT_TRUE(stepped.take().empty());
    const CoordinatePrompt *p = stepped.controller.beginSetUp(RunState::DogWalking);
    for (std::size_t i = 0; i < 4; ++i) {
        ASSERT_EQ(p, &kCoordinatePrompts[i]);
        EXPECT_TRUE(stepped.controller.setUpUnderWay());
        p = stepped.controller.answerPrompt(answers[i]);
    }
    EXPECT_EQ(p, nullptr);
    EXPECT_FALSE(stepped.controller.setUpUnderWay());
    EXPECT_EQ(stepped.take(), clicked.take());
    EXPECT_EQ(stepped.controller.state().runState, RunState::DogWalking);
    EXPECT_EQ(stepped.controller.state().dog.start, (Point{2, 10}));

    // Refused at the second prompt: the setup is over, and a late answer is ignored.
    Rig refused;
    refused.take();
    refused.controller.beginSetUp(RunState::BothWalking);
    refused.controller.answerPrompt("1");
    EXPECT_EQ(refused.controller.answerPrompt("x11"), &kCoordinatePrompts[2]) << "reads as 0";
    EXPECT_EQ(refused.controller.answerPrompt("10.6"), nullptr);
    EXPECT_EQ(refused.controller.answerPrompt("4"), nullptr);
    EXPECT_EQ(refused.take(), (Lines{"cue pinpon.wav", "Command6 on"}));
    EXPECT_EQ(refused.controller.state().runState, RunState::Idle);
}

// Momotaro's tick only refreshes the time and shows Picture3, and resets the dog's meeting
// with his starting point, moving nothing. Exactly 180 s is not past the limit; the first
// tick past it shows 180, stops its own timer and still steps, and a meeting it makes counts.
TEST(Ticks, InOneWalkerModeMomotaroStandsStillAndEachTimerStopsAtTheLimit)
{
    Rig r(RunState::DogWalking, {4, 4}, {6, 4});
    EXPECT_EQ(r.period({5, 1}),
              (Lines{"Label4 \" 0 / 180 秒\"", "Picture2 on", "Picture2 at 5,4",
                     "Label1 \"犬: x= 5  y= 4\"", "Label4 \" 0 / 180 秒\"", "Picture3 on"}));
    EXPECT_EQ(r.period({5, 1}), (Lines{"Label4 \" 0 / 180 秒\"", "Picture2 on", "Picture2 at 4,4",
                                       "Label1 \"犬: x= 4  y= 4\"", "Label3 \"ペルネ回数＝ 1\"",
                                       "Label4 \" 0 / 180 秒\"", "Picture3 on", "cue logoff.wav"}));
    // Down-left and up to 5,4, then to and fro beside Momotaro up to 180 s exactly.
    r.period({4, 1});
    r.period({7, 1});
    for (int i = 0; i < 896; ++i)
        r.period({i % 2 ? 5 : 1, 1});
    EXPECT_EQ(r.window.model.caption(Label::Label4), " 180 / 180 秒");
    EXPECT_EQ(r.controller.state().dog.current, (Point{5, 4}));
    EXPECT_EQ(r.enabled(), "--+-- ++");
    EXPECT_EQ(
        r.period({5, 1}),
        (Lines{"Label4 \" 180 / 180 秒\"", "Timer1 off", "Command4 off", "Command2 on",
               "Command3 on", "Picture2 on", "Picture2 at 4,4", "Label1 \"犬: x= 4  y= 4\"",
               "Label3 \"ペルネ回数＝ 2\"", "Label4 \" 180 / 180 秒\"", "Timer2 off",
               "Command4 off", "Command2 on", "Command3 on", "Picture3 on", "cue logoff.wav"}));
    EXPECT_EQ(r.enabled(), "++--- --");
    EXPECT_EQ(r.controller.ticksRun(Timer::Timer1), 901);
    EXPECT_EQ(r.controller.ticksRun(Timer::Timer2), 901);
    r.controller.command3Click(); // cancelled: after the limit Command6 comes back only so
    EXPECT_EQ(r.enabled(), "++--+ --");
}

// Only landing on the other walker's point is a meeting: not swapping places, not sharing a
// starting point; from one point a step the clamp cancels is one.
TEST(Ticks, OnlyLandingOnTheOtherWalkersPointIsAMeeting)
{
    Rig swap(RunState::BothWalking, {5, 5}, {4, 4});
    swap.period({1, 6}); // the dog to 5,4, Momotaro to 4,4
    swap.period({3, 7}); // the dog to 5,5: swapped; Momotaro on to 4,3
    EXPECT_EQ(swap.controller.state().dog.current, (Point{5, 5}));
    EXPECT_EQ(swap.controller.state().meetingCount, 0);

    Rig same(RunState::BothWalking, {0, 0}, {0, 0});
    EXPECT_EQ(same.controller.state().meetingCount, 0);
    same.period({5, 1}); // the dog stays at 0,0: a meeting; Momotaro's tick resets onto 0,0
    same.period({1, 3}); // the dog to 1,0, Momotaro to 0,1
    EXPECT_EQ(same.controller.state().meetingCount, 1);
}

// The count stops at its limit and the meeting still happens. No run reaches it now that
// every run ends at its 901st period, so the rule is tried on its own.
TEST(Ticks, MeetingCountStopsAt32767AndTheRunGoesOn)
{
    WalkState s;
    s.runState = RunState::DogWalking;
    s.dog.start = {4, 5};
    s.momotaro = {{5, 5}, {5, 5}};
    s.meetingCount = 32766;
    for (int i = 0; i < 3; ++i) {
        s.dog.current = s.momotaro.current;
        EXPECT_TRUE(s.applyMeetingRule());
        EXPECT_EQ(s.runState, RunState::DogMet);
        s.applyResetRule();
        EXPECT_EQ(s.dog.current, (Point{4, 5}));
    }
    EXPECT_EQ(s.meetingCount, 32767);
}

// The 900th period reads exactly 180 s, so each timer ticks 901 times, also in a run that
// crosses midnight. Every meeting but one on the very last tick is reset with its cue.
TEST(HeadlessRun, A180SecondRunInEachModeEndsAtTheLimitWithItsMeetingsReset)
{
    for (const RunState mode : {RunState::BothWalking, RunState::DogWalking}) {
        for (const double start : {36000.0, 86400.0 - 90.0}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(mode)) + " from " + std::to_string(start));
            HeadlessSimulation sim(20261206, start);
            EXPECT_FALSE(sim.setUpAndStart(mode, {11, 4}, {6, 4})); // refused, leaves no answers
            ASSERT_TRUE(sim.setUpAndStart(mode, {4, 4}, {6, 4}));
            EXPECT_EQ(sim.driver.runUntilStopped(2000), 901);
            EXPECT_EQ(sim.window.caption(Label::Label4), " 180 / 180 秒");
            EXPECT_EQ(enabling(sim.window), "++--- --");

            const WalkState &s = sim.controller.state();
            EXPECT_GT(s.meetingCount, 0) << "with this seed the walkers meet";
            const auto &cues = sim.cues.played;
            EXPECT_EQ(std::count(cues.begin(), cues.end(), cue::kMeeting),
                      s.meetingCount - (isMeetingPending(s.runState) ? 1 : 0));
            const Point momotaro = sim.window.sprite(Sprite::Picture3).position;
            EXPECT_TRUE(mode == RunState::BothWalking || momotaro == (Point{4, 4}));
            EXPECT_EQ(sim.window.caption(Label::Label3), meetingCountText(s.meetingCount));

            // A batch's window: no captions from the ticks, the same run otherwise, also on
            // a simulation restarted after another run.
            HeadlessSimulation quiet(1, start, Captions::Skipped);
            ASSERT_TRUE(quiet.setUpAndStart(mode, {0, 0}, {9, 2}));
            quiet.driver.runUntilStopped(2000);
            quiet.restart(20261206);
            ASSERT_TRUE(quiet.setUpAndStart(mode, {4, 4}, {6, 4}));
            EXPECT_EQ(quiet.driver.runUntilStopped(2000), 901);
            EXPECT_EQ(quiet.controller.state().meetingCount, s.meetingCount);
            EXPECT_EQ(std::count(quiet.cues.played.begin(), quiet.cues.played.end(), cue::kMeeting),
                      std::count(cues.begin(), cues.end(), cue::kMeeting));
            EXPECT_EQ(quiet.window.sprite(Sprite::Picture2).position,
                      sim.window.sprite(Sprite::Picture2).position);
            EXPECT_EQ(enabling(quiet.window), "++--- --");
            EXPECT_EQ(quiet.window.caption(Label::Label4), "");
            EXPECT_EQ(quiet.window.caption(Label::Label3), "ペルネ回数＝ 0");
        }
    }
}

// The run a student reports: nothing until both timers are off; Stop gives the whole seconds
// Label4 last showed; the time limit waits for Timer2's last tick, whose meeting counts; a
// setup refused halfway keeps the last run's points, an accepted one clears it.
TEST(FinishedRun, IsTheLastRunOnceBothTimersAreOffWithTheSecondsLabel4Showed)
{
    Rig stopped(RunState::DogWalking, {1, 2}, {3, 4});
    EXPECT_FALSE(stopped.controller.finishedRun()) << "running";
    for (int i = 0; i < 36; ++i) // 7.2 s: the last tick reads 7.2 s, Label4 " 7 / 180 秒"
        stopped.period({3, 3});
    EXPECT_FALSE(stopped.controller.finishedRun());
    stopped.controller.command4Click();
    auto run = stopped.controller.finishedRun();
    ASSERT_TRUE(run);
    EXPECT_EQ(stopped.window.model.caption(Label::Label4), " 7 / 180 秒");
    EXPECT_EQ(run->seconds, 7);
    EXPECT_EQ(run->mode, RunState::DogWalking);
    EXPECT_EQ(run->momotaroStart, (Point{1, 2}));
    EXPECT_EQ(run->dogStart, (Point{3, 4}));

    stopped.prompter.push("9");
    stopped.controller.command2Click(); // 9 accepted, then cancelled
    EXPECT_EQ(stopped.controller.state().momotaro.start.x, 9);
    EXPECT_EQ(stopped.controller.finishedRun()->momotaroStart, (Point{1, 2}));
    for (const char *a : {"5", "5", "6", "6"})
        stopped.prompter.push(a);
    stopped.controller.command2Click();
    EXPECT_FALSE(stopped.controller.finishedRun()) << "a new run is set up";

    Rig early(RunState::BothWalking, {4, 4}, {6, 4});
    early.controller.command4Click(); // before any tick
    EXPECT_EQ(early.controller.finishedRun()->seconds, 0);

    // In the run's last period Timer1 stops first; Timer2's stopping tick still steps
    // Momotaro onto the dog, and that meeting belongs to the run.
    Rig limit(RunState::BothWalking, {4, 4}, {6, 4});
    for (int i = 0; i < 898; ++i) // to and fro, never near: the dog 6..7, Momotaro 3..4
        limit.period(i % 2 ? std::deque<int>{5, 1} : std::deque<int>{1, 5});
    limit.period({5, 5}); // 179.8 s: the dog to 5,4, Momotaro to 3,4
    limit.period({7, 7}); // 180.0 s: the dog to 5,3, Momotaro to 3,3
    EXPECT_FALSE(limit.controller.finishedRun()) << "the run goes on";
    limit.period({4, 2}); // 180.2 s: the dog to 4,4, then Momotaro to 4,4 on the last tick
    run = limit.controller.finishedRun();
    ASSERT_TRUE(run);
    EXPECT_EQ(run->meetings, 1);
    EXPECT_EQ(run->seconds, 180);
    EXPECT_EQ(run->mode, RunState::BothWalking);
}

// Each row: a point and where directions 1..8 take it; a direction outside them stays. The
// corners and edges fix every direction's offsets too.
TEST(Step, GoesClockwiseFromTheRightAndAtTheEdgeKeepsOnlyTheInBoundsPart)
{
    const std::pair<Point, std::array<Point, 8>> rows[] = {
        {{0, 0}, {{{1, 0}, {1, 1}, {0, 1}, {0, 1}, {0, 0}, {0, 0}, {0, 0}, {1, 0}}}},
        {{10, 10}, {{{10, 10}, {10, 10}, {10, 10}, {9, 10}, {9, 10}, {9, 9}, {10, 9}, {10, 9}}}},
        {{0, 5}, {{{1, 5}, {1, 6}, {0, 6}, {0, 6}, {0, 5}, {0, 4}, {0, 4}, {1, 4}}}},
        {{5, 10}, {{{6, 10}, {6, 10}, {5, 10}, {4, 10}, {4, 10}, {4, 9}, {5, 9}, {6, 9}}}},
    };
    for (const auto &[from, to] : rows)
        for (int d = 0; d <= 9; ++d)
            EXPECT_EQ(step(from, d), d >= 1 && d <= 8 ? to[d - 1] : from)
                << from.x << ',' << from.y << " direction " << d;
}

// The ticks reseed from the clock before every draw, the two timers often from one reading:
// the directions must still be uniform (fixed seed, chi-square) and a pair independent.
TEST(Directions, DrawnAsTheTicksDoAreUniformAndTwoReseedsFromOneReadingDoNotRepeat)
{
    MixingRandom random(20261206);
    std::array<int, 8> counts{};
    int pairsAlike = 0;
    for (int i = 0; i < 40000; ++i) {
        StepDirection pair[2];
        for (StepDirection &d : pair) {
            random.reseed(36000.0f + 0.2f * static_cast<float>(i));
            d = directionFromDraw(random.next());
            ++counts.at(d - 1);
        }
        pairsAlike += pair[0] == pair[1];
    }
    double chiSquare = 0.0;
    for (const int c : counts)
        chiSquare += (c - 10000.0) * (c - 10000.0) / 10000.0; // 80000 draws, 10000 expected each
    EXPECT_LT(chiSquare, 30.0);                               // 7 degrees of freedom: p < 0.0002
    // Independent pairs agree one time in eight: 5000 expected, sd about 66.
    EXPECT_NEAR(pairsAlike, 5000, 400);
}
