#include "runcontroller.h"

#include "clock.h"
#include "coordinateanswer.h"
#include "random.h"
#include "runclock.h"
#include "texts.h"

#include <cmath>

namespace perne {

RunController::RunController(Controls &controls, Prompter &prompter, CueDevice &cues, Clock &clock,
                             RandomSource &random)
    : m_controls(controls), m_prompter(prompter), m_cues(cues), m_clock(clock), m_random(random)
{}

void RunController::load()
{
    m_state.runState = RunState::Idle;
    m_state.meetingCount = 0;
    m_timerOn = {false, false};
    m_controls.setSpriteVisible(Sprite::Picture2, false);
    m_controls.setSpriteVisible(Sprite::Picture3, false);
    m_controls.setButtonEnabled(Button::Command4, false);
    m_controls.setButtonEnabled(Button::Command5, false);
}

void RunController::command2Click()
{
    setUp(RunState::BothWalking);
}

void RunController::command3Click()
{
    setUp(RunState::DogWalking);
}

void RunController::setUp(RunState mode)
{
    for (const CoordinatePrompt *p = beginSetUp(mode); p;)
        p = answerPrompt(m_prompter.ask(p->title, p->prompt, p->defaultAnswer));
}

const CoordinatePrompt *RunController::beginSetUp(RunState mode)
{
    if (!isWalking(mode))
        return nullptr;
    m_cues.PlayCue(cue::kClick);
    m_setUpMode = mode;
    m_setUpPrompt = 0;
    return &kCoordinatePrompts[0];
}

const CoordinatePrompt *RunController::answerPrompt(const std::string &answer)
{
    if (!setUpUnderWay())
        return nullptr;

    // Each accepted answer is stored at once; a refused one ends the setup there.
    std::int16_t *const targets[] = {&m_state.momotaro.start.x, &m_state.momotaro.start.y,
                                     &m_state.dog.start.x, &m_state.dog.start.y};
    const auto value = acceptCoordinate(answer);
    if (!value) {
        m_setUpMode = RunState::Idle;
        m_controls.setButtonEnabled(Button::Command6, true);
        return nullptr;
    }
    *targets[m_setUpPrompt] = *value;
    if (++m_setUpPrompt < kCoordinatePrompts.size())
        return &kCoordinatePrompts[m_setUpPrompt];

    const RunState mode = m_setUpMode;
    m_setUpMode = RunState::Idle;
    finishSetUp(mode);
    return nullptr;
}

// All four answers accepted.
void RunController::finishSetUp(RunState mode)
{
    m_state.dog.current = m_state.dog.start;
    m_state.momotaro.current = m_state.momotaro.start;
    m_state.runState = mode;
    m_state.meetingCount = 0;
    m_run.reset();
    m_receipt.reset();
    m_controls.setCaption(Label::Label3, meetingCountText(m_state.meetingCount));

    m_controls.setSpriteVisible(Sprite::Picture2, true);
    m_controls.setSpriteVisible(Sprite::Picture3, true);
    m_controls.moveSprite(Sprite::Picture2, m_state.dog.current);
    m_controls.moveSprite(Sprite::Picture3, m_state.momotaro.current);
    m_controls.setCaption(Label::Label1, dogText(m_state.dog.current));
    m_controls.setCaption(Label::Label2, momotaroText(m_state.momotaro.current));

    m_controls.setButtonEnabled(Button::Command2, false);
    m_controls.setButtonEnabled(Button::Command3, false);
    m_controls.setButtonEnabled(Button::Command4, false);
    m_controls.setButtonEnabled(Button::Command5, true);
    m_controls.setButtonEnabled(Button::Command6, false);
    m_controls.setCaption(Label::Label4, std::string());
}

void RunController::command5Click()
{
    m_startTime = m_clock.secondsSinceMidnight();
    m_startSteady = m_clock.steadySeconds();
    m_period = 0;
    m_ticks = {0, 0};
    m_run = RunResult{m_state.runState, m_state.momotaro.start, m_state.dog.start, 0, 0};
    // Nothing has drawn yet: the generator's state now is the one the first tick starts from.
    m_receipt.reset();
    if (const auto words = m_random.state())
        m_receipt = RunReceipt{
            m_state.runState, m_state.momotaro.start, m_state.dog.start, m_startTime, *words, 0};
    m_cues.PlayCue(cue::kClick);
    setTimer(Timer::Timer1, true);
    setTimer(Timer::Timer2, true);
    m_controls.setButtonEnabled(Button::Command4, true);
    m_controls.setButtonEnabled(Button::Command5, false);
}

void RunController::command4Click()
{
    // The ticks due by the click belong to the run; a run they end had ended before it.
    const bool wasRunning = running();
    catchUp();
    if (wasRunning && !running())
        return;
    m_cues.PlayCue(cue::kClick);
    m_controls.setButtonEnabled(Button::Command2, true);
    m_controls.setButtonEnabled(Button::Command3, true);
    m_controls.setButtonEnabled(Button::Command4, false);
    m_controls.setButtonEnabled(Button::Command6, true);
    setTimer(Timer::Timer1, false);
    setTimer(Timer::Timer2, false);
}

void RunController::setTimer(Timer timer, bool on)
{
    m_timerOn[static_cast<std::size_t>(timer)] = on;
    m_controls.setTimerEnabled(timer, on);
}

std::optional<RunResult> RunController::finishedRun() const
{
    if (!m_run || running())
        return std::nullopt;
    RunResult run = *m_run;
    run.meetings = m_state.meetingCount;
    run.seconds = static_cast<long long>(std::floor(scheduledElapsed(m_period)));
    return run;
}

std::optional<RunReceipt> RunController::lastReceipt() const
{
    if (!m_receipt || !finishedRun())
        return std::nullopt;
    RunReceipt receipt = *m_receipt;
    receipt.lastPeriod = m_period;
    return receipt;
}

void RunController::timer1Tick()
{
    catchUp();
}

void RunController::timer2Tick()
{
    catchUp();
}

long long RunController::catchUp()
{
    if (!running())
        return 0;
    return runThrough(lastPeriodDue(m_clock.steadySeconds() - m_startSteady));
}

// Period by period, Timer1's tick before Timer2's, until the period or the time limit. Only
// the ticks of a single period draw as they go; a longer catch-up is shown once at its end.
long long RunController::runThrough(long long period)
{
    const long long first = m_period;
    if (period <= first || !running())
        return 0;
    const bool once = period - first > 1;
    if (once)
        m_catchUp.begin(m_controls);
    while (m_period < period && running()) {
        ++m_period;
        const Moment moment{scheduledElapsed(m_period), scheduledReading(m_startTime, m_period)};
        for (const Who who : {Who::Dog, Who::Momotaro}) {
            if (!m_timerOn[who == Who::Dog ? 0 : 1])
                continue;
            if (once)
                tick(who, moment, m_catchUp, m_catchUp);
            else
                tick(who, moment, m_controls, m_cues);
        }
    }
    if (once)
        m_catchUp.show(m_cues);
    return m_period - first;
}

// One tick of either walker's timer at the moment of its period, in this order:
//  1. take the clock value of that moment as the walker's own tick clock;
//  2. show the run's whole seconds at that moment in Label4 (before the limit test, so the
//     stopping tick shows 180); a window that wants no captions gets none from a tick;
//  3. past the limit: this timer off, Stop off, mode buttons on -- and carry on;
//  4. make the walker's sprite visible;
//  5. reseed from the moment's clock value and draw the direction (every tick, whatever the
//     run state);
//  6. walking: step, move the sprite, write the coordinates, test for a meeting;
//     meeting pending: reset both walkers with the meeting cue, moving nothing on screen.
template <typename View, typename Cues>
void RunController::tick(Who who, const Moment &moment, View &view, Cues &cues)
{
    const bool dog = who == Who::Dog;
    float &tickClock = dog ? m_dogTickClock : m_momotaroTickClock;
    const Timer timer = dog ? Timer::Timer1 : Timer::Timer2;
    const Sprite sprite = dog ? Sprite::Picture2 : Sprite::Picture3;

    const bool captions = view.wantsCaptions();
    ++m_ticks[static_cast<std::size_t>(timer)];

    tickClock = moment.reading;
    const double elapsed = moment.elapsed;
    if (captions)
        view.setCaption(Label::Label4, elapsedText(static_cast<long long>(std::floor(elapsed))));

    if (pastTimeLimit(elapsed)) {
        setTimer(timer, false);
        view.setButtonEnabled(Button::Command4, false);
        view.setButtonEnabled(Button::Command2, true);
        view.setButtonEnabled(Button::Command3, true);
    }

    view.setSpriteVisible(sprite, true);

    m_random.reseed(tickClock);
    const StepDirection direction = directionFromDraw(m_random.next());

    const RunState state = m_state.runState;
    const bool steps = dog ? isWalking(state) : state == RunState::BothWalking;
    if (steps) {
        Walker &walker = dog ? m_state.dog : m_state.momotaro;
        walker.current = step(walker.current, direction);
        view.moveSprite(sprite, walker.current);
        if (captions)
            view.setCaption(dog ? Label::Label1 : Label::Label2,
                            dog ? dogText(walker.current) : momotaroText(walker.current));
        if (m_state.applyMeetingRule() && captions)
            view.setCaption(Label::Label3, meetingCountText(m_state.meetingCount));
    } else if (isMeetingPending(state)) {
        cues.PlayCue(cue::kMeeting);
        m_state.applyResetRule();
    }
}

} // namespace perne
