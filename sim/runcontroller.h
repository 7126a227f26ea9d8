#pragma once

#include "seams.h"
#include "texts.h"
#include "walk.h"

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
//  - command5Click(): Start. Records the start time and enables Timer1, then Timer2.
//  - timer1Tick() / timer2Tick(): every 200 ms, each steps its walker (Momotaro only in
//    two-walker mode). A step onto the other walker's point is a meeting: it is counted,
//    and the next tick of either timer plays the meeting cue and puts both walkers back on
//    their starting points. Each timer stops itself on its first tick past 180 seconds.
//  - command4Click(): Stop. Both timers off; a new run needs a new setup.
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

    const WalkState &state() const { return m_state; }

    // The last run, once Stop or the time limit has turned both timers off; nothing while
    // it goes on, before the first Start, or after a new setup has been accepted. A setup
    // refused halfway changes the stored starting points, not this.
    std::optional<RunResult> finishedRun() const;

private:
    enum class Who { Dog, Momotaro };
    void setUp(RunState mode);
    void finishSetUp(RunState mode);
    void tick(Who who);

    Controls &m_controls;
    Prompter &m_prompter;
    CueDevice &m_cues;
    Clock &m_clock;
    RandomSource &m_random;

    WalkState m_state;
    float m_startTime = 0.0f;
    float m_dogTickClock = 0.0f;
    float m_momotaroTickClock = 0.0f;

    // The mode of the setup under way (Idle when none) and the prompt it waits on.
    RunState m_setUpMode = RunState::Idle;
    std::size_t m_setUpPrompt = 0;

    // The run since the last Start: what it began with, the elapsed time of its latest
    // tick, and which of the timers still run it.
    std::optional<RunResult> m_run;
    double m_runElapsed = 0.0;
    bool m_runTimers[2] = {false, false};
};

} // namespace perne
