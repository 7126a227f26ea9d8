#pragma once

#include "exact.h"
#include "summary.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace perne::stats {

struct ModeResult
{
    Mode mode = Mode::Both;
    ExactValues exact;
    // Expected seconds to the first meeting with no time limit; none if not computed.
    std::optional<double> unlimitedFirstMeetingSeconds;
    // None when no runs were simulated.
    std::optional<Summary> simulated;
    // Every simulated run, in run order (run i has seed runSeed(seed, mode, i)).
    std::vector<RunOutcome> outcomes;
    // The chance of each meeting count, from 0 on; empty if not computed.
    std::vector<double> distribution = {};
};

// Everything perne-stats found, ready to be written out.
struct Report
{
    StartingPoints start;
    long long ticksPerTimer = 0;
    long long runs = 0;
    std::uint64_t seed = 0;
    std::vector<ModeResult> modes;
};

// The table for the terminal, in Japanese, the modes side by side.
std::string formatTable(const Report &report);

// A header line and one row per mode. When runs were simulated, two more tables follow,
// each after an empty line and under its own header: the histogram (mode, meetings, runs:
// how many runs of the mode counted that many meetings, every count from 0 to the largest)
// and every run (mode, run numbered from 1, its meetings, the seconds to its first meeting
// or an empty field). All ASCII, so any spreadsheet reads it alike.
std::string formatCsv(const Report &report);

// The first-meeting curves: a header "mode,period,seconds,p_met", then for every mode one
// row per timer period from 0 to ticksPerTimer, seconds being period x 0.2.
std::string formatCurveCsv(const Report &report);

// The distributions of the meeting count: a header "mode,meetings,probability", then for
// every mode one row per count from 0 on.
std::string formatDistributionCsv(const Report &report);

// Both histograms on one chart with the exact means marked, for the classroom projector.
std::string formatSvg(const Report &report);

// Numbers as the files write them: the shortest text that reads back as the same double,
// independent of the locale; none is written as empty text.
std::string numberText(double value);
std::string numberText(const std::optional<double> &value);

} // namespace perne::stats
