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

// A header line and one row per mode.
std::string formatCsv(const Report &report);

// Both histograms on one chart with the exact means marked, for the classroom projector.
std::string formatSvg(const Report &report);

// Numbers as the files write them: the shortest text that reads back as the same double,
// independent of the locale; none is written as empty text.
std::string numberText(double value);
std::string numberText(const std::optional<double> &value);

} // namespace perne::stats
