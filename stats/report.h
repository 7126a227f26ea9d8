#pragma once

#include "exact.h"
#include "summary.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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

// The exact values as the table writes them, each to its own number of decimals; "—" for a
// value that does not exist. The teacher's page shows these very texts.
struct ExactTexts
{
    std::string meanMeetings;
    std::string meetingProbability;
    std::string firstMeetingSeconds;
    std::string meanMoves;
    std::string meetingsPer100Moves;
};
ExactTexts exactTexts(const ExactValues &values);

// A header line and one row per mode, ending on the batch's seed (empty when no runs were
// simulated). When runs were simulated, two more tables follow,
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

// A CSV as a spreadsheet opens it alike everywhere: a byte-order mark (Japanese Excel then
// reads UTF-8) and CRLF line ends. The teacher's page saves its files so.
std::string spreadsheetText(std::string_view csv);

// Both histograms on one chart with the exact means marked, for the classroom projector.
std::string formatSvg(const Report &report);

// Numbers as the files write them: the shortest text that reads back as the same double,
// independent of the locale; none is written as empty text.
std::string numberText(double value);
std::string numberText(const std::optional<double> &value);

} // namespace perne::stats
