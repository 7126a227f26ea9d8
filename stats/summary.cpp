#include "summary.h"

#include "constants.h"

#include <algorithm>
#include <cmath>

namespace perne::stats {
namespace {

constexpr double kZ95 = 1.959963984540054;

} // namespace

Summary summarize(const std::vector<RunOutcome> &outcomes)
{
    Summary s;
    s.runs = static_cast<long long>(outcomes.size());
    if (outcomes.empty())
        return s;

    s.min = s.max = outcomes.front().meetings;
    double sum = 0.0;
    double firstMeetingSum = 0.0;
    for (const RunOutcome &o : outcomes) {
        s.min = std::min(s.min, o.meetings);
        s.max = std::max(s.max, o.meetings);
        sum += o.meetings;
        if (o.firstMeetingPeriod > 0) {
            ++s.runsWithMeeting;
            firstMeetingSum +=
                static_cast<double>(o.firstMeetingPeriod) * kTimerIntervalMs / 1000.0;
        }
    }
    const auto n = static_cast<double>(s.runs);
    s.mean = sum / n;

    s.histogram.assign(static_cast<std::size_t>(s.max) + 1, 0);
    double squares = 0.0;
    for (const RunOutcome &o : outcomes) {
        ++s.histogram[static_cast<std::size_t>(o.meetings)];
        squares += (o.meetings - s.mean) * (o.meetings - s.mean);
    }
    if (s.runs >= 2) {
        s.sd = std::sqrt(squares / (n - 1.0));
        const double half = kZ95 * *s.sd / std::sqrt(n);
        s.ciLow = s.mean - half;
        s.ciHigh = s.mean + half;
    }
    if (s.runsWithMeeting > 0)
        s.firstMeetingSeconds = firstMeetingSum / static_cast<double>(s.runsWithMeeting);
    return s;
}

} // namespace perne::stats
