#include "headless.h"

#include "constants.h"
#include "runclock.h"

#include <cmath>

namespace perne {
namespace {

template <typename E> std::size_t index(E e)
{
    return static_cast<std::size_t>(e);
}

} // namespace

SimulatedClock::SimulatedClock(double secondsSinceMidnight) : m_origin(secondsSinceMidnight) {}

double SimulatedClock::now() const
{
    const double t =
        m_origin + m_wallSetBy + static_cast<double>(m_periods) * kTimerIntervalMs / 1000.0;
    // fmod is exact, and so the identity within the day; skipping it there saves its cost.
    if (t >= 0.0 && t < kSecondsPerDay)
        return t;
    double wrapped = std::fmod(t, kSecondsPerDay);
    if (wrapped < 0.0) // set back past midnight
        wrapped += kSecondsPerDay;
    return wrapped < kSecondsPerDay ? wrapped : 0.0;
}

double SimulatedClock::steadySeconds()
{
    return static_cast<double>(m_periods) * kTimerIntervalMs / 1000.0;
}

void WindowModel::setCaption(Label label, const std::string &text)
{
    m_captions[index(label)] = text;
}

void WindowModel::setSpriteVisible(Sprite sprite, bool visible)
{
    m_sprites[index(sprite)].visible = visible;
}

void WindowModel::moveSprite(Sprite sprite, Point p)
{
    m_sprites[index(sprite)].position = p;
}

void WindowModel::setButtonEnabled(Button button, bool enabled)
{
    m_buttons[index(button)] = enabled;
}

void WindowModel::setTimerEnabled(Timer timer, bool enabled)
{
    m_timers[index(timer)] = enabled;
}

const std::string &WindowModel::caption(Label label) const
{
    return m_captions[index(label)];
}

const WindowModel::SpriteState &WindowModel::sprite(Sprite sprite) const
{
    return m_sprites[index(sprite)];
}

bool WindowModel::buttonEnabled(Button button) const
{
    return m_buttons[index(button)];
}

void ScriptedPrompter::push(std::string answer)
{
    m_answers.push_back(std::move(answer));
}

std::string ScriptedPrompter::ask(const std::string &, const std::string &, const std::string &)
{
    if (m_answers.empty())
        return {};
    std::string answer = std::move(m_answers.front());
    m_answers.pop_front();
    return answer;
}

void CountingCues::PlayCue(std::string_view fileName)
{
    played.emplace_back(fileName);
}

HeadlessDriver::HeadlessDriver(RunController &controller, WindowModel &window,
                               SimulatedClock &clock)
    : m_controller(controller), m_window(window), m_clock(clock)
{}

bool HeadlessDriver::advance()
{
    if (!m_window.timerEnabled(Timer::Timer1) && !m_window.timerEnabled(Timer::Timer2))
        return false;
    m_clock.advancePeriods(1);
    m_controller.runThrough(m_controller.periodsRun() + 1);
    return true;
}

long long HeadlessDriver::runUntilStopped(long long maxPeriods)
{
    long long periods = 0;
    while (periods < maxPeriods && advance())
        ++periods;
    return periods;
}

void HeadlessDriver::runThenStop(long long periods)
{
    if (periods < 0) {
        runUntilStopped();
        return;
    }
    for (long long i = 0; i < periods; ++i)
        advance();
    m_controller.command4Click();
}

long long ticksPerTimer(double)
{
    // The limit is judged on the schedule, not on the clock's readings: the same for every
    // start. A day of periods bounds the search.
    constexpr long long kPeriodsPerDay =
        static_cast<long long>(kSecondsPerDay) * 1000 / kTimerIntervalMs;
    for (long long ticks = 1; ticks <= kPeriodsPerDay; ++ticks) {
        if (pastTimeLimit(scheduledElapsed(ticks)))
            return ticks;
    }
    return kPeriodsPerDay;
}

HeadlessSimulation::HeadlessSimulation(std::uint64_t seed, double startSecondsSinceMidnight,
                                       Captions captions)
    : clockStart(startSecondsSinceMidnight), clock(startSecondsSinceMidnight), random(seed),
      window(captions), controller(window, prompter, cues, clock, random),
      driver(controller, window, clock)
{
    controller.load();
}

void HeadlessSimulation::restart(std::uint64_t seed)
{
    random = MixingRandom(seed);
    clock = SimulatedClock(clockStart);
    cues.played.clear();
}

bool HeadlessSimulation::setUpAndStart(RunState mode, Point momotaro, Point dog)
{
    for (const std::int16_t v : {momotaro.x, momotaro.y, dog.x, dog.y})
        prompter.push(std::to_string(v));
    if (mode == RunState::BothWalking)
        controller.command2Click();
    else
        controller.command3Click();
    // A refused answer ends the setup early; what it left unasked must not answer the next.
    prompter.clear();
    if (!window.buttonEnabled(Button::Command5))
        return false;
    controller.command5Click();
    return true;
}

} // namespace perne
