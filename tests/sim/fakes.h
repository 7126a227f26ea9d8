#pragma once

// Scriptable stand-ins for the window, the sound device, the prompts, the clock and the
// random source, so a test can drive the run logic one handler at a time and compare its
// whole effect, in order, with a short list of readable lines.

#include "clock.h"
#include "headless.h"
#include "random.h"
#include "runcontroller.h"
#include "texts.h"

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace perne::test {

using Lines = std::vector<std::string>;

// Keeps the window's state like WindowModel and writes each call as one line:
// Label4 " 12 / 180 秒", Picture2 at 3,4, Command5 on, Timer1 off, cue pinpon.wav.
class RecordingWindow final : public WindowModel, public CueDevice
{
public:
    void setCaption(Label label, const std::string &text) override
    {
        WindowModel::setCaption(label, text);
        log(std::string(name(label)) + " \"" + text + "\"");
    }
    void setSpriteVisible(Sprite sprite, bool visible) override
    {
        WindowModel::setSpriteVisible(sprite, visible);
        log(std::string(name(sprite)) + (visible ? " visible" : " hidden"));
    }
    void moveSprite(Sprite sprite, Point p) override
    {
        WindowModel::moveSprite(sprite, p);
        log(std::string(name(sprite)) + " at " + std::to_string(p.x) + "," + std::to_string(p.y));
    }
    void setButtonEnabled(Button button, bool enabled) override
    {
        WindowModel::setButtonEnabled(button, enabled);
        log(std::string(name(button)) + (enabled ? " on" : " off"));
    }
    void setTimerEnabled(Timer timer, bool enabled) override
    {
        WindowModel::setTimerEnabled(timer, enabled);
        log(std::string(name(timer)) + (enabled ? " on" : " off"));
    }
    void PlayCue(std::string_view fileName) override { log("cue " + std::string(fileName)); }

    void log(std::string line) { m_lines.push_back(std::move(line)); }
    // The lines written since the last call.
    Lines take() { return std::exchange(m_lines, {}); }

private:
    Lines m_lines;
};

// Answers from a script (empty text past its end, as Cancel does); logs which of the four
// coordinate prompts was asked ("ask 1".."ask 4") and keeps every question in full.
class RecordingPrompter final : public Prompter
{
public:
    explicit RecordingPrompter(RecordingWindow &window) : m_window(window) {}
    std::string ask(const std::string &title, const std::string &prompt,
                    const std::string &defaultAnswer) override
    {
        questions.push_back({title, prompt, defaultAnswer});
        std::string which = "?";
        for (std::size_t i = 0; i < kCoordinatePrompts.size(); ++i) {
            if (prompt == kCoordinatePrompts[i].prompt)
                which = std::to_string(i + 1);
        }
        m_window.log("ask " + which);
        if (answers.empty())
            return {};
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::string> answers;
    std::vector<std::array<std::string, 3>> questions;

private:
    RecordingWindow &m_window;
};

// Reads `now`; readings queued in `next` come first, one per call.
class ScriptedClock final : public Clock
{
public:
    float secondsSinceMidnight() override
    {
        if (next.empty())
            return static_cast<float>(now);
        const float reading = next.front();
        next.pop_front();
        return reading;
    }
    double now = 36000.0;
    std::deque<float> next;
};

// Returns queued draws and remembers every reseed; running out of draws fails the test.
class ScriptedRandom final : public RandomSource
{
public:
    void reseed(float value) override { reseeds.push_back(value); }
    double next() override
    {
        if (draws.empty()) {
            ADD_FAILURE() << "a tick drew a direction the test did not script";
            return 0.0;
        }
        const double r = draws.front();
        draws.pop_front();
        return r;
    }
    // Queues the draws that give these directions (1..8).
    void directions(std::initializer_list<int> ds)
    {
        for (const int d : ds)
            draws.push_back((d - 1 + 0.5) / kDirectionCount);
    }
    std::deque<double> draws;
    std::vector<float> reseeds;
};

// A run controller wired to the fakes above.
struct Rig
{
    RecordingWindow window;
    RecordingPrompter prompter{window};
    ScriptedClock clock;
    ScriptedRandom random;
    RunController controller{window, prompter, window, clock, random};

    Rig() { controller.load(); }

    // A mode button answered with Momotaro's start, then the dog's; the lines are dropped.
    void setUp(RunState mode, Point momotaro, Point dog)
    {
        for (const std::int16_t v : {momotaro.x, momotaro.y, dog.x, dog.y})
            prompter.answers.push_back(std::to_string(v));
        if (mode == RunState::BothWalking)
            controller.command2Click();
        else
            controller.command3Click();
        EXPECT_EQ(controller.state().runState, mode);
        window.take();
    }
    void start()
    {
        controller.command5Click();
        window.take();
    }
    // One timer period: the clock moves on 0.2 s, then each enabled timer ticks in turn.
    void period()
    {
        clock.now += 0.2;
        if (window.timerEnabled(Timer::Timer1))
            controller.timer1Tick();
        if (window.timerEnabled(Timer::Timer2))
            controller.timer2Tick();
    }
};

// The enabled state of Command2..Command6 and Timer1, Timer2 as "+" and "-": "++--+ --".
inline std::string enabling(const WindowModel &w)
{
    std::string s;
    for (const Button b :
         {Button::Command2, Button::Command3, Button::Command4, Button::Command5, Button::Command6})
        s += w.buttonEnabled(b) ? '+' : '-';
    s += ' ';
    for (const Timer t : {Timer::Timer1, Timer::Timer2})
        s += w.timerEnabled(t) ? '+' : '-';
    return s;
}

} // namespace perne::test
