// A run is a schedule: tick k of each timer belongs to the moment start + k x 200 ms, and the
// steady clock says which moments have come. Here the same run (same seed, same clock) is
// delivered tick by tick, and late -- in one callback after 1 s, 60 s, 300 s, on waking -- and
// with the wall clock set back or forward or across midnight, and must walk the same.

#include "headless.h"
#include "random.h"
#include "recordingwindow.h"
#include "runcontroller.h"
#include "texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace perne;

namespace {

// A real run's generator that notes every reseed value and every direction it draws.
struct NotingRandom final : RandomSource
{
    explicit NotingRandom(std::uint64_t seed) : inner(seed) {}
    void reseed(float value) override
    {
        reseeds.push_back(value);
        inner.reseed(value);
    }
    double next() override
    {
        const double r = inner.next();
        directions.push_back(directionFromDraw(r));
        return r;
    }
    MixingRandom inner;
    std::vector<float> reseeds;
    std::vector<int> directions;
};

// A run set up with Momotaro at 4,4 and the dog at 6,4 and started at `start` seconds since
// midnight, its timers' events delivered as a front end delivers them.
struct ScheduledRun
{
    ScheduledRun(RunState mode, double start) : clock(start), random(20261207)
    {
        controller.load();
        for (const char *answer : {"4", "4", "6", "4"})
            prompter.push(answer);
        mode == RunState::BothWalking ? controller.command2Click() : controller.command3Click();
        controller.command5Click();
        take();
    }
    bool running() const
    {
        return window.model.timerEnabled(Timer::Timer1) || window.model.timerEnabled(Timer::Timer2);
    }
    // Each running timer's event once, at the clock's reading now; returns the lines.
    Lines events()
    {
        if (window.model.timerEnabled(Timer::Timer1))
            controller.timer1Tick();
        if (window.model.timerEnabled(Timer::Timer2))
            controller.timer2Tick();
        return take();
    }
    // Up to n periods, each on time, while the run goes on.
    void onTime(int n = 5000)
    {
        for (int i = 0; i < n && running(); ++i) {
            clock.advancePeriods(1);
            events();
        }
    }
    Lines take()
    {
        history.insert(history.end(), window.lines.begin(), window.lines.end());
        return std::exchange(window.lines, {});
    }
    std::size_t ticks() const { return random.directions.size(); } // every tick draws once

    RecordingWindow window;
    ScriptedPrompter prompter;
    SimulatedClock clock;
    NotingRandom random;
    RunController controller{window, prompter, window, clock, random};
    Lines history; // every line so far
};

long long count(const Lines &lines, const std::string &prefix)
{
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string &l) { return l.rfind(prefix, 0) == 0; });
}

// The largest number of seconds Label4 ever showed.
int mostSecondsShown(const Lines &lines)
{
    int most = -1;
    for (const std::string &l : lines) {
        if (l.rfind("Label4 \"", 0) == 0 && l.size() > 8 && l != "Label4 \"\"")
            most = std::max(most, std::stoi(l.substr(8)));
    }
    return most;
}

// What the student sees at the end of a run.
void expectSameEnd(const ScheduledRun &late, const ScheduledRun &reference)
{
    const WindowModel &a = late.window.model;
    const WindowModel &b = reference.window.model;
    for (const Label l : {Label::Label1, Label::Label2, Label::Label3, Label::Label4})
        EXPECT_EQ(a.caption(l), b.caption(l)) << name(l);
    for (const Sprite s : {Sprite::Picture2, Sprite::Picture3}) {
        EXPECT_EQ(a.sprite(s).position, b.sprite(s).position) << name(s);
        EXPECT_EQ(a.sprite(s).visible, b.sprite(s).visible) << name(s);
    }
    EXPECT_EQ(enabling(a), enabling(b));
    EXPECT_EQ(late.controller.state().meetingCount, reference.controller.state().meetingCount);
    EXPECT_EQ(late.controller.state().dog.current, reference.controller.state().dog.current);
    EXPECT_EQ(late.controller.state().runState, reference.controller.state().runState);
}

} // namespace

// Late by 1 s, 60 s or past the end: the same reseeds, directions, tick counts, meetings and
// end as on time, also across midnight and where single precision rounds the 900th reading
// up past 180 s. A late callback shows the state once (each sprite moved and each label
// written at most once, one meeting cue at most), and Label4 never passes 180.
TEST(Schedule, ARunDeliveredInOneLateCallbackWalksAsOneDeliveredTickByTick)
{
    for (const RunState mode : {RunState::BothWalking, RunState::DogWalking}) {
        for (const double start : {36000.0, 86400.0 - 30.0, 65536.0 - 90.0 + 3.0 / 256}) {
            ScheduledRun reference(mode, start);
            reference.onTime();
            ASSERT_EQ(reference.ticks(), 2u * 901) << start;
            EXPECT_EQ(reference.window.model.caption(Label::Label4), " 180 / 180 秒");
            EXPECT_GT(reference.controller.state().meetingCount, 1);

            for (const int late : {5, 300, 1500}) {
                SCOPED_TRACE(std::to_string(static_cast<int>(mode)) + " from " +
                             std::to_string(start) + ", late by " + std::to_string(late));
                ScheduledRun r(mode, start);
                r.clock.advancePeriods(late);
                const Lines caughtUp = r.events();
                if (late == 1500) {
                    EXPECT_FALSE(r.running());
                    EXPECT_EQ(r.ticks(), reference.ticks()) << "all in the one callback";
                }
                r.onTime();

                EXPECT_EQ(r.ticks(), reference.ticks());
                EXPECT_EQ(r.random.reseeds, reference.random.reseeds);
                EXPECT_EQ(r.random.directions, reference.random.directions);
                expectSameEnd(r, reference);
                EXPECT_EQ(mostSecondsShown(r.history), 180);

                for (const char *once :
                     {"Picture2 at", "Picture3 at", "Label1", "Label2", "Label3", "Label4", "cue"})
                    EXPECT_LE(count(caughtUp, once), 1) << once;
                EXPECT_EQ(mostSecondsShown(caughtUp), std::min(late, 901) / 5);
            }
        }
    }
}

// Stop on waking, before any timer event: the ticks due by the click run first, shown once,
// then Stop does what it always does. Right after a catch-up Stop is as ever; once the end
// has passed, the run had ended before the click and the click changes nothing.
TEST(Schedule, StopOnWakingStopsTheRunWhereItStoodAtTheClick)
{
    const Lines stopLines{"cue pinpon.wav", "Command2 on", "Command3 on", "Command4 off",
                          "Command6 on",    "Timer1 off",  "Timer2 off"};

    ScheduledRun reference(RunState::BothWalking, 36000.0);
    reference.onTime(50);
    reference.controller.command4Click();

    ScheduledRun woken(RunState::BothWalking, 36000.0);
    woken.clock.advancePeriods(50);
    woken.controller.command4Click();
    const Lines lines = woken.take();
    ASSERT_GE(lines.size(), stopLines.size());
    EXPECT_EQ(Lines(lines.end() - 7, lines.end()), stopLines);
    EXPECT_EQ(count(lines, "Label4"), 1);
    EXPECT_EQ(woken.window.model.caption(Label::Label4), " 10 / 180 秒");
    EXPECT_EQ(woken.controller.ticksRun(Timer::Timer1), 50);
    EXPECT_EQ(woken.controller.ticksRun(Timer::Timer2), 50);
    expectSameEnd(woken, reference);
    woken.onTime(10);
    EXPECT_EQ(woken.ticks(), 100u) << "stopped";

    ScheduledRun caughtUp(RunState::BothWalking, 36000.0);
    caughtUp.clock.advancePeriods(50);
    caughtUp.events();
    caughtUp.controller.command4Click();
    EXPECT_EQ(caughtUp.take(), stopLines);
    expectSameEnd(caughtUp, reference);

    ScheduledRun ended(RunState::DogWalking, 36000.0);
    ended.clock.advancePeriods(1000);
    ended.controller.command4Click();
    const Lines endLines = ended.take();
    EXPECT_EQ(count(endLines, "cue pinpon.wav"), 0);
    EXPECT_EQ(count(endLines, "Command6"), 0);
    EXPECT_EQ(enabling(ended.window.model), "++--- --");
    EXPECT_EQ(ended.window.model.caption(Label::Label4), " 180 / 180 秒");
    EXPECT_EQ(ended.controller.ticksRun(Timer::Timer1), 901);
}

// The wall clock set during a run, at 30 s: back to before the start (10:00:30 to 09:59:30,
// and from just after midnight back into the day before), back to a moment after the start,
// forward by an hour (also across midnight). The run neither ends nor stops: every period on
// time still brings one tick of each timer, its seconds go on from 30, and it walks and ends
// as the run nobody touched.
TEST(Schedule, AWallClockSetBackOrForwardNeitherEndsNorHoldsTheRun)
{
    struct Move
    {
        double start;
        double setBy;
    };
    for (const Move move : {Move{36000.0, -60.0}, Move{36000.0, -20.0}, Move{36000.0, 3600.0},
                            Move{10.0, -60.0}, Move{86400.0 - 100.0, 3600.0}}) {
        SCOPED_TRACE("from " + std::to_string(move.start) + " set by " +
                     std::to_string(move.setBy));
        ScheduledRun reference(RunState::BothWalking, move.start);
        reference.onTime();

        ScheduledRun r(RunState::BothWalking, move.start);
        r.onTime(150);
        ASSERT_EQ(r.window.model.caption(Label::Label4), " 30 / 180 秒");
        r.clock.setWallClockBy(move.setBy);
        r.controller.catchUp(); // the window woken, or a page shown again
        EXPECT_EQ(r.controller.periodsRun(), 150);
        for (int period = 151; period <= 250; ++period) {
            r.clock.advancePeriods(1);
            r.events();
            ASSERT_EQ(r.controller.periodsRun(), period);
            ASSERT_TRUE(r.running());
        }
        EXPECT_EQ(r.window.model.caption(Label::Label4), " 50 / 180 秒");
        r.onTime();

        EXPECT_EQ(r.controller.ticksRun(Timer::Timer1), 901);
        EXPECT_EQ(r.controller.ticksRun(Timer::Timer2), 901);
        EXPECT_EQ(r.random.reseeds, reference.random.reseeds);
        EXPECT_EQ(r.random.directions, reference.random.directions);
        expectSameEnd(r, reference);
    }
}

// Started at 23:59:30 and never touched: the clock's readings wrap to the new day half a
// minute in (period 150 reads 0), the seconds shown go on 30, 31, ... to 180, and the run
// ends whole.
TEST(Schedule, ARunAcrossMidnightRunsWhole)
{
    ScheduledRun r(RunState::DogWalking, 86400.0 - 30.0);
    r.onTime();
    EXPECT_EQ(r.controller.ticksRun(Timer::Timer1), 901);
    EXPECT_EQ(r.controller.ticksRun(Timer::Timer2), 901);
    EXPECT_EQ(r.window.model.caption(Label::Label4), " 180 / 180 秒");
    ASSERT_EQ(r.random.reseeds.size(), 2u * 901);
    EXPECT_FLOAT_EQ(r.random.reseeds[2 * 148], 86399.8f); // period 149, Timer1
    EXPECT_EQ(r.random.reseeds[2 * 149 + 1], 0.0f);       // period 150, Timer2
    EXPECT_FLOAT_EQ(r.random.reseeds.back(), 150.2f);     // period 901
    const auto newDay = std::count_if(r.random.reseeds.begin(), r.random.reseeds.end(),
                                      [](float v) { return v < 200.0f; });
    EXPECT_EQ(newDay, 2 * (901 - 149));

    // Label4 as written, period by period: one more second every fifth period, never back.
    std::vector<int> seconds;
    for (const std::string &l : r.history) {
        if (l.rfind("Label4 \"", 0) == 0 && l != "Label4 \"\"")
            seconds.push_back(std::stoi(l.substr(8)));
    }
    ASSERT_FALSE(seconds.empty());
    EXPECT_TRUE(std::is_sorted(seconds.begin(), seconds.end()));
    EXPECT_EQ(seconds.front(), 0);
    EXPECT_EQ(seconds.back(), 180);
    for (std::size_t i = 1; i < seconds.size(); ++i)
        EXPECT_LE(seconds[i] - seconds[i - 1], 1) << i;
}

// A closed lid on a device whose steady clock stands still while it sleeps (Linux's does):
// on waking the wall clock has moved on ten minutes, the steady clock not at all. Nothing is
// walked at once; the run goes on from where it stood, period by period, and ends whole, as
// the run that never slept. (Where the steady clock counts the sleep, waking walks everything
// due in one go: the late callbacks above.)
TEST(Schedule, AClosedLidWhoseSteadyClockStoodStillPausesTheRunWhereItStood)
{
    ScheduledRun reference(RunState::BothWalking, 36000.0);
    reference.onTime();

    ScheduledRun r(RunState::BothWalking, 36000.0);
    r.onTime(300);
    r.clock.setWallClockBy(600.0);
    r.controller.catchUp();
    r.events();
    EXPECT_TRUE(r.take().empty()) << "nothing due";
    EXPECT_EQ(r.controller.periodsRun(), 300);
    EXPECT_EQ(r.window.model.caption(Label::Label4), " 60 / 180 秒");

    r.clock.advancePeriods(1);
    r.events();
    EXPECT_EQ(r.controller.periodsRun(), 301);
    r.onTime();
    EXPECT_EQ(r.controller.ticksRun(Timer::Timer1), 901);
    EXPECT_EQ(r.random.reseeds, reference.random.reseeds);
    expectSameEnd(r, reference);
    EXPECT_EQ(r.history, reference.history) << "every line as on time";
}
