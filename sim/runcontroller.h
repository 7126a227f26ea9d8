#pragma once

#include "catchupview.h"
#include "random.h"
#include "seams.h"
#include "texts.h"
#include "walk.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>

namespace perne {

class Clock;
class RandomSource;

// A run from its Start until both timers are off again, as a student reports it.
struct RunResult
{
    RunState mode = RunState::Idle; // BothWalking or DogWalking
    Point momotaroStart;
    Point dogStart;
    MeetingCount meetings = 0;
    long long seconds = 0; // whole seconds at the run's last tick, as Label4 last read
};

// What walking a run again needs: its setup, the clock's reading and the generator's state
// at Start, and the last period it ran. The count and seconds follow from these alone.
struct RunReceipt
{
    RunState mode = RunState::Idle; // BothWalking or DogWalking
    Point momotaroStart;
    Point dogStart;
    float startReading = 0.0f; // StartTime: seconds since midnight, single precision
    RandomState random{};      // the generator's state as Start found it
    long long lastPeriod = 0;  // 901 for a run the time limit ended, fewer after Stop
};

// The simulation window's run logic, free of any toolkit. The window only wires its
// buttons and timers to these handlers.
//
// Protocol:
//  - load(): idle; sprites hidden; Start and Stop disabled.
//  - command2Click() / command3Click(): a mode button. Asks four starting coordinates;
//    all four accepted sets up a run with both walkers moving (Command2) or the dog alone
//    (Command3) and leaves only Start enabled. A refused answer ends the setup and
//    enables Command6. A front end whose input box cannot wait for the answer calls
//    beginSetUp() and then answerPrompt() once per answer instead.
//  - command5Click(): Start. Reads both clocks (Clock) and enables Timer1, then Timer2. The
//    run is now a schedule: period k is the moment start + k x 200 ms, and in each period Timer1
//    ticks, then Timer2, each stepping its walker (Momotaro only in two-walker mode). A step
//    onto the other walker's point is a meeting: it is counted, and the next tick of either
//    timer plays the meeting cue and puts both walkers back on their starting points. Each
//    timer stops itself on its first tick past 180 seconds: period 901, always.
//  - timer1Tick() / timer2Tick() / catchUp(): the front end says "now" -- on its timers'
//    events, and whenever else it gets control (a page shown again, a window woken). Every
//    tick whose period has come by the steady clock runs then, in order, reading the clock
//    value of its own moment (the wall reading at Start moved on by its periods), not the
//    time it happens to run at; so a run delivered late, in one go, walks exactly as one
//    delivered tick by tick, and a wall clock set back or forward neither ends nor holds it.
//    A catch-up of more than one period draws nothing while it runs: afterwards the window
//    shows the state once, with at most one meeting cue.
//  - command4Click(): Stop. First catches up to now, so the run stops where it stood at the
//    click; then both timers off, and a new run needs a new setup. Should that catch-up
//    reach the time limit, the run had ended before the click, and the click does nothing.
class RunController
{
public:
    RunController(Controls &controls, Prompter &prompter, CueDevice &cues, Clock &clock,
                  RandomSource &random);

    void load();
    void command2Click();
    void command3Click();

    // A mode button in steps: plays the cue and returns the first prompt to ask.
    // answerPrompt() takes the text typed into the prompt last returned (empty text for
    // Cancel) and returns the next one, or null once the setup has ended, accepted or
    // refused. Without a setup under way it does nothing and returns null.
    const CoordinatePrompt *beginSetUp(RunState mode);
    const CoordinatePrompt *answerPrompt(const std::string &answer);
    bool setUpUnderWay() const { return m_setUpMode != RunState::Idle; }
    void command4Click();
    void command5Click();
    void timer1Tick();
    void timer2Tick();

    // Runs every period that has come by the steady clock now; returns how many ran.
    long long catchUp();
    // Runs the periods after the last one run, up to and including `period` (the headless
    // driver knows the period without asking the clock); returns how many ran.
    long long runThrough(long long period);

    const WalkState &state() const { return m_state; }
    // Whether either timer is on: a run is going.
    bool running() const { return m_timerOn[0] || m_timerOn[1]; }
    // Periods run since Start, and ticks each timer has made.
    long long periodsRun() const { return m_period; }
    long long ticksRun(Timer timer) const { return m_ticks[static_cast<std::size_t>(timer)]; }

    // The last run, once Stop or the time limit has turned both timers off; nothing while
    // it goes on, before the first Start, or after a new setup has been accepted. A setup
    // refused halfway changes the stored starting points, not this.
    std::optional<RunResult> finishedRun() const;
    // The receipt of that same run, from which walkAgain() (receipt.h) makes the same result;
    // nothing when finishedRun() has nothing, or when the random source cannot tell its state.
    std::optional<RunReceipt> lastReceipt() const;

private:
    enum class Who { Dog, Momotaro };
    void setUp(RunState mode);
    void finishSetUp(RunState mode);
    void setTimer(Timer timer, bool on);
    // A period's moment: the run's seconds, and what the clock reads then.
    struct Moment
    {
        double elapsed;
        float reading;
    };
    // View and Cues: the window's seams, or the catch-up view that stands for both.
    template <typename View, typename Cues>
    void tick(Who who, const Moment &moment, View &view, Cues &cues);

    Controls &m_controls;
    Prompter &m_prompter;
    CueDevice &m_cues;
    Clock &m_clock;
    RandomSource &m_random;

    WalkState m_state;
    float m_startTime = 0.0f;   // the wall reading at Start: every tick's reading comes from it
    double m_startSteady = 0.0; // the steady reading at Start: the periods come by it
    float m_dogTickClock = 0.0f;
    float m_momotaroTickClock = 0.0f;

    // The schedule: the last period run, which timers still tick, and their ticks so far.
    long long m_period = 0;
    std::array<bool, 2> m_timerOn{};
    std::array<long long, 2> m_ticks{};
    CatchUpView m_catchUp;

    // The mode of the setup under way (Idle when none) and the prompt it waits on.
    RunState m_setUpMode = RunState::Idle;
    std::size_t m_setUpPrompt = 0;

    // The run since the last Start: what it began with. Its count is the walk's own and its
    // seconds those of the last period run.
    std::optional<RunResult> m_run;
    std::optional<RunReceipt> m_receipt; // the same run's receipt, its last period not yet set
};

} // namespace perne
