#pragma once

#include "mode.h"

#include <optional>
#include <vector>

namespace perne::stats {

// What one run is expected to give, computed without chance: the probability distribution
// over where the two walkers are (every pair of lattice points, plus "a meeting waits for
// its reset") is carried through the run tick by tick, Timer1 then Timer2 in every
// 200 ms period, each step as the stencil of lattice.h (which the tests hold to the
// engine's own step rule).
struct ExactValues
{
    long long ticksPerTimer = 0;
    // Expected number of meetings counted in one run.
    double meanMeetings = 0.0;
    // Probability that the run counts at least one meeting.
    double meetingProbability = 0.0;
    // Expected seconds from Start to the tick that counts the first meeting, over the runs
    // that have one; none when no run can meet.
    std::optional<double> firstMeetingSeconds;
    // Expected number of moves: ticks on which a walker is stepped by the step rule. A
    // step that the lattice edge cancels is still a move; a reset tick, and Momotaro's tick
    // while only the dog moves, make none.
    double meanMoves = 0.0;
    // 100 * meanMeetings / meanMoves; none when no move is made.
    std::optional<double> meetingsPer100Moves;
    // The first-meeting curve: metByPeriod[k] is the probability that the run has counted
    // its first meeting by the end of timer period k (both timers' ticks of it), for
    // k = 0 .. ticksPerTimer; it starts at 0, never falls, and ends at meetingProbability.
    std::vector<double> metByPeriod;
};

// ticksPerTimer is how many times each timer ticks in the run (the engine's 180-second run
// makes ticksPerTimer() of sim/headless.h); smaller numbers give runs that can be worked
// out by hand.
ExactValues exactValues(Mode mode, StartingPoints start, long long ticksPerTimer);

// Expected seconds from Start to the first meeting if the run had no time limit (the
// expected hitting time of the walk, as 0.2 s per period of both timers), within 1e-10 s;
// none when that accuracy cannot be vouched for.
std::optional<double> unlimitedFirstMeetingSeconds(Mode mode, StartingPoints start);

} // namespace perne::stats
