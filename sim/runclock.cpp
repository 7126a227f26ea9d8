#include "runclock.h"

#include "constants.h"

namespace perne {

double elapsedSeconds(float startTime, float reading)
{
    double elapsed = static_cast<double>(reading) - static_cast<double>(startTime);
    if (elapsed < 0.0)
        elapsed += kSecondsPerDay;
    return elapsed;
}

bool pastTimeLimit(double elapsed)
{
    return static_cast<float>(elapsed) > kTimeLimitSeconds;
}

} // namespace perne
