#include "coordinateanswer.h"
#include "fakes.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace perne;
using perne::test::enabling;
using perne::test::Lines;
using perne::test::Rig;

TEST(Load, HidesTheSpritesAndDisablesStartAndStop)
{
    Rig r; // loads
    EXPECT_EQ(r.window.take(),
              (Lines{"Picture2 hidden", "Picture3 hidden", "Command4 off", "Command5 off"}));
    EXPECT_EQ(r.controller.state().runState, RunState::Idle);
    EXPECT_EQ(r.controller.state().meetingCount, 0);
    EXPECT_EQ(enabling(r.window), "++--+ --");
}

TEST(Setup, FourAcceptedAnswersPlaceTheWalkersAndLeaveOnlyStart)
{
    Rig r;
    r.window.take();
    r.prompter.answers = {"4", "3", "6", "9"};
    r.controller.command2Click();
    EXPECT_EQ(
        r.window.take(),
        (Lines{"cue pinpon.wav", "ask 1", "ask 2", "ask 3", "ask 4", "Label3 \"ペルネ回数＝ 0\"",
               "Picture2 visible", "Picture3 visible", "Picture2 at 6,9", "Picture3 at 4,3",
               "Label1 \"犬: x= 6  y= 9\"", "Label2 \"桃太郎: x= 4  y= 3\"", "Command2 off",
               "Command3 off", "Command4 off", "Command5 on", "Command6 off", "Label4 \"\""}));
    const WalkState &s = r.controller.state();
    EXPECT_EQ(s.runState, RunState::BothWalking);
    EXPECT_EQ(s.momotaro.start, (Point{4, 3}));
    EXPECT_EQ(s.momotaro.current, (Point{4, 3}));
    EXPECT_EQ(s.dog.start, (Point{6, 9}));
    EXPECT_EQ(s.dog.current, (Point{6, 9}));

    using Q = std::array<std::string, 3>;
    EXPECT_EQ(
        r.prompter.questions,
        (std::vector<Q>{
            {"桃太郎の初期位置の設定",
             "桃太郎の初期位置のｘ座標を０以上、１０以下の自然数で入力してください．．．", "4"},
            {"桃太郎の初期位置の設定",
             "桃太郎の初期位置のｙ座標を０以上、１０以下の自然数で入力してください．．．", "4"},
            {"犬の初期位置の設定",
             "犬の初期位置のｘ座標を０以上、１０以下の自然数で入力してください．．．", "6"},
            {"犬の初期位置の設定",
             "犬の初期位置のy座標を０以上、１０以下の自然数で入力してください．．．", "4"},
        }));
}

TEST(Setup, TheOneWalkerButtonSetsTheDogAloneWalkingAndAcceptsFullWidthAnswers)
{
    Rig r;
    r.prompter.answers = {"５", "１０", "　３", "０"};
    r.controller.command3Click();
    const WalkState &s = r.controller.state();
    EXPECT_EQ(s.runState, RunState::DogWalking);
    EXPECT_EQ(s.momotaro.start, (Point{5, 10}));
    EXPECT_EQ(s.dog.start, (Point{3, 0}));
}

// A refused or cancelled answer at any of the four prompts keeps what this attempt already
// accepted, changes nothing else, and enables Command6.
TEST(Setup, ARefusedOrCancelledAnswerEndsTheSetupAndOnlyEnablesCommand6)
{
    for (const char *bad : {"", "11", "-1", "1e400"}) {
        for (std::size_t at = 0; at < 4; ++at) {
            SCOPED_TRACE(std::string("answer \"") + bad + "\" at prompt " + std::to_string(at + 1));
            Rig r;
            r.prompter.answers = {"1", "2", "3", "4"};
            r.controller.command2Click();
            r.controller.command5Click();
            r.controller.command4Click(); // a finished run: labels, points, buttons set
            const WalkState before = r.controller.state();
            const std::string labels[] = {r.window.caption(Label::Label1),
                                          r.window.caption(Label::Label2),
                                          r.window.caption(Label::Label3)};
            r.window.take();

            r.prompter.answers = {"7", "8", "9", "10"};
            r.prompter.answers[at] = bad;
            r.controller.command3Click();

            Lines expected{"cue pinpon.wav"};
            for (std::size_t i = 0; i <= at; ++i)
                expected.push_back("ask " + std::to_string(i + 1));
            expected.push_back("Command6 on");
            EXPECT_EQ(r.window.take(), expected);

            const WalkState &s = r.controller.state();
            EXPECT_EQ(s.momotaro.start.x, at > 0 ? 7 : 1);
            EXPECT_EQ(s.momotaro.start.y, at > 1 ? 8 : 2);
            EXPECT_EQ(s.dog.start.x, at > 2 ? 9 : 3);
            EXPECT_EQ(s.dog.start.y, 4);
            EXPECT_EQ(s.runState, before.runState);
            EXPECT_EQ(s.meetingCount, before.meetingCount);
            EXPECT_EQ(s.dog.current, before.dog.current);
            EXPECT_EQ(s.momotaro.current, before.momotaro.current);
            EXPECT_EQ(r.window.caption(Label::Label1), labels[0]);
            EXPECT_EQ(r.window.caption(Label::Label2), labels[1]);
            EXPECT_EQ(r.window.caption(Label::Label3), labels[2]);
            EXPECT_EQ(enabling(r.window), "++--+ --");
        }
    }
}

TEST(CoordinateAnswer, IsAcceptedInZeroToTenAndRoundedHalfToEven)
{
    const std::string thousandDigits(1000, '7');
    const struct
    {
        std::string text;
        std::optional<std::int16_t> accepted;
    } cases[] = {
        {"10", 10},           {"10.4", {}},
        {"-0.4", {}},         {"0.5", 0},
        {"1.5", 2},           {"2.5", 2},
        {"3.5", 4},           {"9.5", 10},
        {"10.5", {}},         {"0", 0},
        {"   ", 0},           {"7x", 7},
        {"abc", 0},           {"", {}},
        {"1 0", 10},          {"1e1", 10},
        {"1.04e1", {}},       {"５", 5},
        {"１０", 10},         {"－１", {}},
        {"　３", 3},          {"１．５", 2},
        {"1e400", {}},        {"-1e999", {}},
        {thousandDigits, {}}, {"0." + thousandDigits, 1},
        {"1e-400", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(acceptCoordinate(c.text), c.accepted) << "answer \"" << c.text << "\"";
}

TEST(StartAndStop, StartRecordsTheClockAndStopTurnsEverythingBackButStart)
{
    Rig r;
    r.setUp(RunState::BothWalking, {4, 4}, {6, 4});
    r.clock.now = 5000.5;
    r.controller.command5Click();
    EXPECT_EQ(r.window.take(),
              (Lines{"cue pinpon.wav", "Timer1 on", "Timer2 on", "Command4 on", "Command5 off"}));
    EXPECT_EQ(r.controller.startTime(), 5000.5f);

    r.random.directions({1, 1});
    r.period();
    const WalkState before = r.controller.state();
    r.window.take();
    r.controller.command4Click();
    EXPECT_EQ(r.window.take(), (Lines{"cue pinpon.wav", "Command2 on", "Command3 on",
                                      "Command4 off", "Command6 on", "Timer1 off", "Timer2 off"}));
    EXPECT_EQ(r.controller.state().dog.current, before.dog.current);
    EXPECT_EQ(r.controller.state().momotaro.current, before.momotaro.current);
    EXPECT_EQ(r.controller.state().runState, before.runState);
}

// Every row of the enabling table, driven through the handlers in the order a student can.
TEST(Enabling, FollowsEveryEventOfARunAndItsRestarts)
{
    Rig r;
    EXPECT_EQ(enabling(r.window), "++--+ --") << "load";
    r.controller.command2Click(); // cancelled at once
    EXPECT_EQ(enabling(r.window), "++--+ --") << "refused";
    r.setUp(RunState::BothWalking, {4, 4}, {6, 4});
    EXPECT_EQ(enabling(r.window), "---+- --") << "accepted";
    r.controller.command5Click();
    EXPECT_EQ(enabling(r.window), "--+-- ++") << "start";
    r.controller.command4Click();
    EXPECT_EQ(enabling(r.window), "++--+ --") << "stop";
    r.setUp(RunState::DogWalking, {4, 4}, {6, 4});
    r.controller.command5Click();
    r.clock.now += 180.2;
    r.random.directions({1});
    r.controller.timer1Tick();
    EXPECT_EQ(enabling(r.window), "++--- -+") << "time limit, Timer1";
    r.random.directions({1});
    r.controller.timer2Tick();
    EXPECT_EQ(enabling(r.window), "++--- --") << "time limit, Timer2";
    r.prompter.answers = {"4", "99"};
    r.controller.command3Click();
    EXPECT_EQ(enabling(r.window), "++--+ --") << "refused after the limit";
}
