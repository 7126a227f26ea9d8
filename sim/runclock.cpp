#include "runclock.h"

#include "constants.h"

#include <cmath>

namespace perne {
namespace {

constexpr double kEarlySeconds = 1.0 / 32.0;

} // namespace

bool pastTimeLimit(double elapsed)
{
    return static_cast<float>(elapsed) > kTimeLimitSeconds;
}

double scheduledElapsed(long long period)
{
    return static_cast<double>(period) * kTimerIntervalMs / 1000.0;
}

float scheduledReading(float startTime, long long period)
{
    // Worked out as the simulated clock works out its readings, so a headless run reads
    // exactly what it read when its ticks took the clock's own reading.
    double t = static_cast<double>(startTime) + scheduledElapsed(period);
    if (t >= kSecondsPerDay)
        t = std::fmod(t, kSecondsPerDay);
    return static_cast<float>(t);
}

long long lastPeriodDue(double elapsed)
{
    return static_cast<long long>(
        std::floor((elapsed + kEarlySeconds) * 1000.0 / kTimerIntervalMs));
}

} // namespace perne
