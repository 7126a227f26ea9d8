#pragma once

#include "batch.h"

#include <optional>
#include <vector>

namespace perne::stats {

// The meeting counts of a batch of runs, summed up.
struct Summary
{
    long long runs = 0;
    double mean = 0.0;
    // Sample standard deviation (divides by runs - 1); none for fewer than two runs.
    std::optional<double> sd;
    // 95% confidence interval of the mean, mean -/+ 1.96 sd / sqrt(runs) (normal
    // approximation); none for fewer than two runs.
    std::optional<double> ciLow;
    std::optional<double> ciHigh;
    int min = 0;
    int max = 0;
    // histogram[k]: how many runs counted k meetings, for k = 0 .. max.
    std::vector<long long> histogram;
    // Runs that met at least once, and their mean seconds to the first meeting.
    long long runsWithMeeting = 0;
    std::optional<double> firstMeetingSeconds;
};

Summary summarize(const std::vector<RunOutcome> &outcomes);

} // namespace perne::stats
