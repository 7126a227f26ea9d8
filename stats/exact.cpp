#include "exact.h"

#include "constants.h"
#include "propagation.h"

#include <algorithm>
#include <vector>

namespace perne::stats {
namespace {

constexpr double kSecondsPerTick = kTimerIntervalMs / 1000.0;

} // namespace

ExactValues exactValues(Mode mode, StartingPoints start, long long ticksPerTimer)
{
    Propagation propagation(mode, start);
    // Every run: where the walkers are, and the chance that a meeting waits for its reset.
    std::vector<double> walking = propagation.startingDistribution();
    double pending = 0.0;
    // Only the runs that have not met yet, for the first meeting.
    std::vector<double> unmet = propagation.startingDistribution();

    ExactValues values;
    values.ticksPerTimer = ticksPerTimer;
    double firstMeetingTime = 0.0;

    // One tick: a waiting meeting is reset (no step); otherwise the walker steps and a
    // meeting is counted. Both timers' ticks of period k read k * 0.2 s.
    auto tick = [&](bool steps, auto stepWalker, double seconds) {
        const double reset = pending;
        pending = 0.0;
        if (steps) {
            values.meanMoves += 1.0 - reset;
            pending = stepWalker(walking);
            values.meanMeetings += pending;
            const double first = stepWalker(unmet);
            values.meetingProbability += first;
            firstMeetingTime += first * seconds;
        }
        propagation.putOnStart(walking, reset);
    };
    auto stepDog = [&](std::vector<double> &mass) { return propagation.stepDog(mass); };
    auto stepMomotaro = [&](std::vector<double> &mass) { return propagation.stepMomotaro(mass); };

    values.metByPeriod.reserve(static_cast<std::size_t>(std::max(0LL, ticksPerTimer) + 1));
    values.metByPeriod.push_back(0.0);
    for (long long period = 1; period <= ticksPerTimer; ++period) {
        const double seconds = static_cast<double>(period) * kSecondsPerTick;
        tick(true, stepDog, seconds);                             // Timer1
        tick(propagation.momotaroWalks(), stepMomotaro, seconds); // Timer2
        values.metByPeriod.push_back(values.meetingProbability);
    }

    if (values.meetingProbability > 0.0)
        values.firstMeetingSeconds = firstMeetingTime / values.meetingProbability;
    if (values.meanMoves > 0.0)
        values.meetingsPer100Moves = 100.0 * values.meanMeetings / values.meanMoves;
    return values;
}

} // namespace perne::stats
