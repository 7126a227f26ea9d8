#pragma once

#include "mode.h"

#include <vector>

namespace perne::stats {

// The whole distribution of the meeting count of one run, computed without chance:
// element k is the probability that a run of ticksPerTimer ticks of each timer counts
// exactly k meetings, for k = 0, 1, 2, ... up to the last k after which less than
// kDistributionTail of the probability is left. Its mean is exactValues().meanMeetings.
std::vector<double> meetingDistribution(Mode mode, StartingPoints start, long long ticksPerTimer);

constexpr double kDistributionTail = 1e-12;

} // namespace perne::stats
