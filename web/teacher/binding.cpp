// The teacher's page's way into the stats library: exact values with the first-meeting curve
// and their texts, the distribution of the meeting count, batches run a few at a time so the
// page's worker can report progress and stop between them, and a batch's CSV. Only conversions
// live here; every number and every text comes from stats/.
#include "batch.h"
#include "constants.h"
#include "distribution.h"
#include "exact.h"
#include "headless.h"
#include "leadingnumber.h"
#include "report.h"
#include "summary.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <vector>

namespace perne::stats {
namespace {

using emscripten::val;

// The two walkers' starting points as the page holds them, {momotaro: [x, y], dog: [x, y]};
// none for points off the lattice.
std::optional<StartingPoints> startingPoints(const val &start)
{
    std::optional<Point> points[2];
    const char *who[] = {"momotaro", "dog"};
    for (int i = 0; i < 2; ++i) {
        const val pair = start[who[i]];
        const int x = pair[0].as<int>();
        const int y = pair[1].as<int>();
        if (x < kLatticeMin || x > kLatticeMax || y < kLatticeMin || y > kLatticeMax)
            return std::nullopt;
        points[i] = Point{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
    }
    return StartingPoints{*points[0], *points[1]};
}

// A mode by its key, "both" or "dog", as the CSV writes it.
Mode modeOf(const std::string &key)
{
    return key == modeKey(Mode::Both) ? Mode::Both : Mode::Dog;
}

// What the page would otherwise have to type again: the modes' keys in the order every
// per-mode array follows, the timers' period, the run's limit, the lattice and the count's cap.
val constants()
{
    val out = val::object();
    val modes = val::array();
    for (const Mode mode : kAllModes)
        modes.call<void>("push", std::string(modeKey(mode)));
    out.set("modes", modes);
    out.set("timerIntervalMs", kTimerIntervalMs);
    out.set("secondsPerPeriod", kTimerIntervalMs / 1000.0);
    out.set("timeLimitSeconds", static_cast<double>(kTimeLimitSeconds));
    out.set("latticeMin", static_cast<int>(kLatticeMin));
    out.set("latticeMax", static_cast<int>(kLatticeMax));
    out.set("meetingCountMax", static_cast<int>(kMeetingCountMax));
    // The characters typed numbers may hold in the place of ASCII (runtime/leadingnumber.h).
    val fullWidth = val::object();
    fullWidth.set("first", static_cast<int>(kFullWidthFirst));
    fullWidth.set("last", static_cast<int>(kFullWidthLast));
    fullWidth.set("offset", static_cast<int>(kFullWidthOffset));
    fullWidth.set("minusSign", static_cast<int>(kMinusSign));
    fullWidth.set("ideographicSpace", static_cast<int>(kIdeographicSpace));
    out.set("fullWidth", fullWidth);
    return out;
}

val orNull(const std::optional<double> &value)
{
    return value ? val(*value) : val::null();
}

// A copy the page may keep after the vector is gone.
template <typename T> val arrayOf(const std::vector<T> &values)
{
    val copy = val::array();
    for (const T &v : values)
        copy.call<void>("push", static_cast<double>(v));
    return copy;
}

template <typename T> val float64Array(const std::vector<T> &values)
{
    const std::vector<double> doubles(values.begin(), values.end());
    return val::global("Float64Array")
        .new_(emscripten::typed_memory_view(doubles.size(), doubles.data()))
        .call<val>("slice");
}

// Exact values of one mode, with the curve of the chance to have met by the end of each
// timer period; null for points off the lattice.
val exact(const std::string &mode, const val &points)
{
    const auto start = startingPoints(points);
    if (!start)
        return val::null();
    const ExactValues v = exactValues(modeOf(mode), *start, ticksPerTimer());
    val out = val::object();
    out.set("ticksPerTimer", static_cast<double>(v.ticksPerTimer));
    out.set("meanMeetings", v.meanMeetings);
    out.set("meetingProbability", v.meetingProbability);
    out.set("firstMeetingSeconds", orNull(v.firstMeetingSeconds));
    out.set("meanMoves", v.meanMoves);
    out.set("meetingsPer100Moves", orNull(v.meetingsPer100Moves));
    out.set("metByPeriod", float64Array(v.metByPeriod));
    const ExactTexts t = exactTexts(v);
    val texts = val::object();
    texts.set("meanMeetings", t.meanMeetings);
    texts.set("meetingProbability", t.meetingProbability);
    texts.set("firstMeetingSeconds", t.firstMeetingSeconds);
    texts.set("meanMoves", t.meanMoves);
    texts.set("meetingsPer100Moves", t.meetingsPer100Moves);
    out.set("texts", texts);
    return out;
}

// The chance of each meeting count k = 0, 1, ... in one mode's 180-second run, as a
// Float64Array; null for points off the lattice.
val distribution(const std::string &mode, const val &points)
{
    const auto start = startingPoints(points);
    if (!start)
        return val::null();
    return float64Array(meetingDistribution(modeOf(mode), *start, ticksPerTimer()));
}

val summaryOf(const std::vector<RunOutcome> &outcomes)
{
    const Summary s = summarize(outcomes);
    val out = val::object();
    out.set("runs", static_cast<double>(s.runs));
    out.set("mean", s.mean);
    out.set("sd", orNull(s.sd));
    out.set("ciLow", orNull(s.ciLow));
    out.set("ciHigh", orNull(s.ciHigh));
    out.set("min", s.min);
    out.set("max", s.max);
    out.set("histogram", arrayOf(s.histogram));
    out.set("runsWithMeeting", static_cast<double>(s.runsWithMeeting));
    out.set("firstMeetingSeconds", orNull(s.firstMeetingSeconds));
    return out;
}

// The seed as decimal text, the whole 64-bit range (a page's numbers stop at 2^53).
std::optional<std::uint64_t> seedOf(const std::string &text)
{
    std::uint64_t seed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return seed;
}

// The CSV of a batch the page ran, both modes, as perne-stats writes it for the same points,
// seed and runs (a stopped batch: the runs each mode finished), made ready for spreadsheets,
// as a Uint8Array of its UTF-8 bytes.
// `meetings` and `firstPeriods` hold one array per mode, both then dog, as outcomesFrom gave
// them.
val batchCsv(const val &points, const std::string &seed, const val &meetings,
             const val &firstPeriods)
{
    Report report;
    report.start = startingPoints(points).value();
    report.ticksPerTimer = ticksPerTimer();
    report.seed = seedOf(seed).value();
    for (const Mode mode : kAllModes) {
        const auto index = static_cast<unsigned>(mode == Mode::Both ? 0 : 1);
        const auto counts = emscripten::convertJSArrayToNumberVector<int>(meetings[index]);
        const auto periods = emscripten::convertJSArrayToNumberVector<int>(firstPeriods[index]);
        std::vector<RunOutcome> outcomes;
        for (std::size_t i = 0; i < counts.size() && i < periods.size(); ++i)
            outcomes.push_back({counts[i], periods[i]});
        report.runs = std::max(report.runs, static_cast<long long>(outcomes.size()));
        report.modes.push_back({mode, exactValues(mode, report.start, report.ticksPerTimer),
                                std::nullopt, summarize(outcomes), std::move(outcomes)});
    }
    // As bytes: a string would lose its byte-order mark to the page's UTF-8 decoder.
    const std::string text = spreadsheetText(formatCsv(report));
    return val::global("Uint8Array")
        .new_(emscripten::typed_memory_view(text.size(),
                                            reinterpret_cast<const unsigned char *>(text.data())))
        .call<val>("slice");
}

// One mode's batch, run by the page's worker a slice at a time.
class PageBatch
{
public:
    PageBatch(const std::string &mode, const val &points, const std::string &seed, double runs)
        : m_runner(BatchRequest{modeOf(mode), startingPoints(points).value(),
                                static_cast<long long>(runs), seedOf(seed).value()})
    {}

    double runMore(double count)
    {
        return static_cast<double>(m_runner.runMore(static_cast<long long>(count)));
    }
    double done() const { return static_cast<double>(m_runner.done()); }

    // Meetings and first-meeting periods of the runs from `from` on, as
    // {meetings: Int32Array, firstPeriods: Int32Array}.
    val outcomesFrom(double from) const
    {
        const auto &all = m_runner.outcomes();
        std::vector<int> meetings;
        std::vector<int> periods;
        for (auto i = static_cast<std::size_t>(from); i < all.size(); ++i) {
            meetings.push_back(all[i].meetings);
            periods.push_back(static_cast<int>(all[i].firstMeetingPeriod));
        }
        val out = val::object();
        auto int32 = [](const std::vector<int> &v) {
            return val::global("Int32Array")
                .new_(emscripten::typed_memory_view(v.size(), v.data()))
                .call<val>("slice");
        };
        out.set("meetings", int32(meetings));
        out.set("firstPeriods", int32(periods));
        return out;
    }

    val summary() const { return summaryOf(m_runner.outcomes()); }

private:
    BatchRunner m_runner;
};

} // namespace
} // namespace perne::stats

EMSCRIPTEN_BINDINGS(perne_stats)
{
    using namespace perne::stats;
    emscripten::function("constants", &constants);
    emscripten::function("exact", &exact);
    emscripten::function("distribution", &distribution);
    emscripten::function("batchCsv", &batchCsv);
    emscripten::class_<PageBatch>("Batch")
        .constructor<std::string, val, std::string, double>()
        .function("runMore", &PageBatch::runMore)
        .function("done", &PageBatch::done)
        .function("outcomesFrom", &PageBatch::outcomesFrom)
        .function("summary", &PageBatch::summary);
}
