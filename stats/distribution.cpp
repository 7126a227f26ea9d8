// A meeting's next tick only puts both walkers back on their starting points, and the walk
// goes on from there on the tick after, as if the run began anew. So the run is a chain of
// independent stretches, each from a restart to the next meeting, and the count's
// distribution follows from the first-meeting times alone:
//  - number the run's ticks 1, 2, ..., Timer1's on the odd ones and Timer2's on the even
//    ones (Timer1 ticks first in every period, and both make ticksPerTimer ticks);
//  - a meeting on tick t is reset on tick t + 1 (by whichever timer ticks then) and the walk
//    restarts on tick t + 2, whose timer is the one that met: the restart's phase;
//  - firstA[n] (firstB[n]) is the chance that a walk restarted on a Timer1 (Timer2) tick
//    first meets on its n-th tick, from one pass of the exact propagation each;
//  - at[k][t], the chance that the k-th meeting falls on tick t, is at[k-1] spread over the
//    later ticks by the first-meeting times of its phase. A meeting on the last tick of
//    either timer is counted like any other; its reset never comes, and nothing after it
//    counts.
// The chance of at least k meetings is the sum of at[k]; the count is exactly k with the
// chance of at least k less that of at least k + 1.
#include "distribution.h"

#include "propagation.h"

#include <algorithm>
#include <numeric>

namespace perne::stats {
namespace {

// firstMeeting[n], n = 1 .. ticks: the chance that a walk restarted from the starting points
// on a tick of Timer1 (dogFirst) or of Timer2 counts its first meeting on its n-th tick.
std::vector<double> firstMeetings(Propagation &propagation, bool dogFirst, long long ticks)
{
    std::vector<double> first(static_cast<std::size_t>(ticks) + 1, 0.0);
    std::vector<double> unmet = propagation.startingDistribution();
    for (long long n = 1; n <= ticks; ++n) {
        const bool dogTick = (n % 2 == 1) == dogFirst;
        if (dogTick)
            first[static_cast<std::size_t>(n)] = propagation.stepDog(unmet);
        else if (propagation.momotaroWalks())
            first[static_cast<std::size_t>(n)] = propagation.stepMomotaro(unmet);
    }
    return first;
}

} // namespace

std::vector<double> meetingDistribution(Mode mode, StartingPoints start, long long ticksPerTimer)
{
    const long long ticks = 2 * std::max(0LL, ticksPerTimer);
    const auto size = static_cast<std::size_t>(ticks) + 1;
    Propagation propagation(mode, start);
    const std::vector<double> firstA = firstMeetings(propagation, true, ticks);
    const std::vector<double> firstB = firstMeetings(propagation, false, ticks);

    // atLeast[k]: the chance of k meetings or more.
    std::vector<double> atLeast{1.0};
    std::vector<double> at = firstA; // the first meeting's tick: the run starts on Timer1's
    std::vector<double> next(size, 0.0);
    while (true) {
        const double mass = std::accumulate(at.begin(), at.end(), 0.0);
        atLeast.push_back(mass);
        if (mass < kDistributionTail)
            break;
        std::fill(next.begin(), next.end(), 0.0);
        for (std::size_t t = 1; t + 2 < size; ++t) {
            const double p = at[t];
            if (p == 0.0)
                continue;
            // Restarted on tick t + 2; its n-th tick is tick t + 1 + n.
            const double *__restrict first = (t % 2 == 1 ? firstA : firstB).data() + 1;
            double *__restrict out = next.data() + t + 2;
            const std::size_t length = size - (t + 2);
            for (std::size_t i = 0; i < length; ++i)
                out[i] += p * first[i];
        }
        at.swap(next);
    }

    std::vector<double> distribution(atLeast.size() - 1);
    for (std::size_t k = 0; k < distribution.size(); ++k)
        distribution[k] = std::max(0.0, atLeast[k] - atLeast[k + 1]);
    return distribution;
}

} // namespace perne::stats
