#pragma once

#include "clock.h"
#include "random.h"
#include "runcontroller.h"
#include "seams.h"

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace perne {

// Both clocks, moving only when told to; the wall reading wraps at midnight like the real
// one. The steady reading starts at 0.
class SimulatedClock final : public Clock
{
public:
    explicit SimulatedClock(double secondsSinceMidnight = 36000.0);

    // Worked out when read: the ticks take their moments from the schedule, so a headless
    // run reads its clock only at Start and when it is told "now".
    float secondsSinceMidnight() override { return static_cast<float>(now()); }
    double steadySeconds() override;
    // Time goes by: both clocks move on by whole timer periods, computed from the start so no
    // error builds up.
    void advancePeriods(long long periods = 1) { m_periods += periods; }
    // The wall clock alone is set, either way, by `seconds`: a hand on the settings, a network
    // time correction -- or a sleep, on a device whose steady clock stands still meanwhile.
    void setWallClockBy(double seconds) { m_wallSetBy += seconds; }
    // The wall reading, in double precision.
    double now() const;

private:
    double m_origin;
    double m_wallSetBy = 0.0;
    long long m_periods = 0;
};

// Whether a window model keeps the texts the ticks write, or spares the ticks the work.
enum class Captions { Kept, Skipped };

// The state of the simulation window's controls, kept without a window.
class WindowModel : public Controls
{
public:
    struct SpriteState
    {
        bool visible = true;
        Point position;
    };

    explicit WindowModel(Captions captions = Captions::Kept)
        : m_captionsKept(captions == Captions::Kept)
    {}

    bool wantsCaptions() const override { return m_captionsKept; }
    void setCaption(Label label, const std::string &text) override;
    void setSpriteVisible(Sprite sprite, bool visible) override;
    void moveSprite(Sprite sprite, Point p) override;
    void setButtonEnabled(Button button, bool enabled) override;
    void setTimerEnabled(Timer timer, bool enabled) override;

    const std::string &caption(Label label) const;
    const SpriteState &sprite(Sprite sprite) const;
    bool buttonEnabled(Button button) const;
    bool timerEnabled(Timer timer) const { return m_timers[static_cast<std::size_t>(timer)]; }

private:
    bool m_captionsKept;
    std::array<std::string, 4> m_captions;
    std::array<SpriteState, 2> m_sprites;
    std::array<bool, 5> m_buttons{true, true, true, true, true}; // all enabled by design
    std::array<bool, 2> m_timers{false, false};                  // both off by design
};

// Answers the coordinate prompts from a script; past its end it cancels.
class ScriptedPrompter final : public Prompter
{
public:
    ScriptedPrompter() = default;
    void push(std::string answer);
    void clear() { m_answers.clear(); }
    std::string ask(const std::string &title, const std::string &prompt,
                    const std::string &defaultAnswer) override;
    std::size_t pending() const { return m_answers.size(); }

private:
    std::deque<std::string> m_answers;
};

// Hears nothing but keeps count, so a batch can tell how many resets it heard.
class CountingCues final : public CueDevice
{
public:
    void PlayCue(std::string_view fileName) override;
    std::vector<std::string> played;
};

// Drives the run logic as the window's two timers would: every 200 ms the clock moves on,
// then the period's ticks run, Timer1's if it is enabled, then Timer2's.
class HeadlessDriver
{
public:
    HeadlessDriver(RunController &controller, WindowModel &window, SimulatedClock &clock);

    // One timer period. Returns false once both timers are off.
    bool advance();
    // Periods until both timers have stopped themselves or maxPeriods have passed;
    // returns the number of periods that ran.
    long long runUntilStopped(long long maxPeriods = 1'000'000);
    // `periods` periods, then Stop as a student clicks it; with a negative count the run goes
    // on until its timers stop themselves.
    void runThenStop(long long periods);

private:
    RunController &m_controller;
    WindowModel &m_window;
    SimulatedClock &m_clock;
};

// How many ticks each timer makes in a run: the periods up to and including the first one
// the limit test finds past 180 seconds (the stopping tick still steps, so it counts). Runs
// are schedules, so this is 901 whatever the clock read at Start (the reading may still be named).
long long ticksPerTimer(double startSecondsSinceMidnight = 36000.0);

// Everything one headless run needs, wired together.
struct HeadlessSimulation
{
    explicit HeadlessSimulation(std::uint64_t seed, double startSecondsSinceMidnight = 36000.0,
                                Captions captions = Captions::Kept);

    // Sets up a run through the mode button with the four answers, then clicks Start.
    // Returns false if the setup was refused; answers it did not ask for are dropped.
    bool setUpAndStart(RunState mode, Point momotaro, Point dog);

    // Ready for another run that goes as it would on a simulation freshly made with this
    // seed: a new generator, the clock back at its start, no cues heard. The next setup
    // overwrites the rest of the run's state; what earlier runs allocated is kept, so a
    // batch does not allocate per run.
    void restart(std::uint64_t seed);

    double clockStart; // seconds since midnight at which every run starts
    SimulatedClock clock;
    MixingRandom random;
    WindowModel window;
    ScriptedPrompter prompter;
    CountingCues cues;
    RunController controller;
    HeadlessDriver driver;
};

} // namespace perne
