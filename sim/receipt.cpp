#include "receipt.h"

#include "clock.h"
#include "headless.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace perne {
namespace {

// Both clocks as they read at Start, and ever after: the replay names its periods itself, so
// the clocks are read only by Start (and by Stop, which then finds no period due).
class StoppedClock final : public Clock
{
public:
    explicit StoppedClock(float reading) : m_reading(reading) {}
    float secondsSinceMidnight() override { return m_reading; }
    double steadySeconds() override { return 0.0; }

private:
    float m_reading;
};

bool onLattice(Point p)
{
    return p.x >= kLatticeMin && p.x <= kLatticeMax && p.y >= kLatticeMin && p.y <= kLatticeMax;
}

} // namespace

ReceiptFault receiptFault(const RunReceipt &receipt)
{
    if (!isWalking(receipt.mode))
        return ReceiptFault::Mode;
    if (!onLattice(receipt.momotaroStart) || !onLattice(receipt.dogStart))
        return ReceiptFault::Point;
    // A single-precision reading of a time just before midnight may round up to the day's
    // length itself.
    if (!std::isfinite(receipt.startReading) || receipt.startReading < 0.0f ||
        static_cast<double>(receipt.startReading) > kSecondsPerDay)
        return ReceiptFault::Reading;
    const RandomState &w = receipt.random;
    if ((w[0] | w[1] | w[2] | w[3]) == 0)
        return ReceiptFault::Random;
    if (receipt.lastPeriod < 0 || receipt.lastPeriod > ticksPerTimer())
        return ReceiptFault::Period;
    return ReceiptFault::None;
}

std::optional<RunResult> walkAgain(const RunReceipt &receipt)
{
    if (receiptFault(receipt) != ReceiptFault::None)
        return std::nullopt;
    StoppedClock clock(receipt.startReading);
    MixingRandom random = MixingRandom::fromState(receipt.random);
    WindowModel window(Captions::Skipped);
    ScriptedPrompter prompter;
    CountingCues cues;
    RunController controller(window, prompter, cues, clock, random);
    controller.load();

    for (const std::int16_t v :
         {receipt.momotaroStart.x, receipt.momotaroStart.y, receipt.dogStart.x, receipt.dogStart.y})
        prompter.push(std::to_string(v));
    receipt.mode == RunState::BothWalking ? controller.command2Click() : controller.command3Click();
    if (!window.buttonEnabled(Button::Command5))
        return std::nullopt;
    controller.command5Click();
    // One period at a time, as the window's timers deliver them.
    while (controller.running() && controller.periodsRun() < receipt.lastPeriod)
        controller.runThrough(controller.periodsRun() + 1);
    if (controller.running())
        controller.command4Click();
    return controller.finishedRun();
}

const char *modeWord(RunState mode)
{
    switch (mode) {
    case RunState::BothWalking:
        return "both";
    case RunState::DogWalking:
        return "dog";
    default:
        return "";
    }
}

std::string receiptJson(const RunReceipt &receipt)
{
    // Nine significant digits always read back as the same float.
    char reading[32];
    std::snprintf(reading, sizeof reading, "%.9g", static_cast<double>(receipt.startReading));
    char words[4][17];
    for (std::size_t i = 0; i < 4; ++i)
        std::snprintf(words[i], sizeof words[i], "%016" PRIx64, receipt.random[i]);
    const auto point = [](Point p) {
        return "[" + std::to_string(p.x) + "," + std::to_string(p.y) + "]";
    };
    return std::string("{\"mode\":\"") + modeWord(receipt.mode) +
           "\",\"momotaro\":" + point(receipt.momotaroStart) +
           ",\"dog\":" + point(receipt.dogStart) + ",\"startReading\":" + reading +
           ",\"random\":[\"" + words[0] + "\",\"" + words[1] + "\",\"" + words[2] + "\",\"" +
           words[3] + "\"],\"lastPeriod\":" + std::to_string(receipt.lastPeriod) + "}";
}

} // namespace perne
