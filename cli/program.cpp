#include "program.h"

#include "batch.h"
#include "distribution.h"
#include "exact.h"
#include "headless.h"
#include "options.h"
#include "output.h"
#include "report.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

namespace perne::cli {

// The statistics core's types and formats, which this program only drives.
using namespace perne::stats;
namespace {

constexpr auto kQuietStart = std::chrono::seconds(1);
constexpr int kBarWidth = 30;

// A bar on standard error once the batch has gone on for a second; wiped at the end so
// whatever follows starts on a clean line.
class ProgressBar
{
public:
    ProgressBar(std::ostream &err, bool enabled) : m_err(err), m_enabled(enabled) {}

    void operator()(long long done, long long total)
    {
        if (!m_enabled || total == 0)
            return;
        if (done >= total) {
            if (m_shown)
                m_err << "\r" << std::string(kBarWidth + 50, ' ') << "\r" << std::flush;
            return;
        }
        if (std::chrono::steady_clock::now() - m_start < kQuietStart)
            return;
        m_shown = true;
        const int filled = static_cast<int>(kBarWidth * done / total);
        m_err << "\rシミュレーション中 [" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(kBarWidth - filled), '.') << "] "
              << 100 * done / total << "% (" << done << "/" << total << ")" << std::flush;
    }

private:
    std::ostream &m_err;
    bool m_enabled;
    bool m_shown = false;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

std::uint64_t freshSeed()
{
    std::random_device device;
    return (std::uint64_t{device()} << 32) ^ device();
}

// Prints on standard output; a failure to write it (a full disk behind it) is said in one line
// and fails the program.
int print(std::ostream &out, std::ostream &err, const std::string &text)
{
    if (const auto problem = writeStream(out, text)) {
        err << "perne-stats: 標準出力 (standard output): " << *problem << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

int defaultThreads()
{
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 64u));
}

} // namespace

int runProgram(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &err,
               bool showProgress)
{
    const auto parsed = parseArguments(arguments);
    if (const auto *usage = std::get_if<UsageError>(&parsed)) {
        err << "perne-stats: " << usage->message << "\n";
        return kExitUsage;
    }
    const Options &options = std::get<Options>(parsed);
    if (options.help)
        return print(out, err, helpText());
    if (options.version)
        return print(out, err, versionText());
    if (const auto problem = checkOutputs(options.outputs)) {
        err << "perne-stats: " << *problem << "\n";
        return kExitUsage;
    }

    Report report;
    report.start = options.start;
    report.ticksPerTimer = ticksPerTimer();
    report.runs = options.runs;
    report.seed = options.seed ? *options.seed : freshSeed();

    std::vector<BatchRequest> requests;
    for (const Mode mode : options.modes) {
        report.modes.push_back({mode,
                                exactValues(mode, options.start, report.ticksPerTimer),
                                unlimitedFirstMeetingSeconds(mode, options.start),
                                {},
                                {}});
        if (options.distributionPath)
            report.modes.back().distribution =
                meetingDistribution(mode, options.start, report.ticksPerTimer);
        requests.push_back({mode, options.start, options.runs, report.seed});
    }
    if (options.runs > 0) {
        ProgressBar bar(err, showProgress);
        auto outcomes =
            runBatches(requests, options.threads > 0 ? options.threads : defaultThreads(),
                       [&bar](long long done, long long total) { bar(done, total); });
        for (std::size_t i = 0; i < outcomes.size(); ++i) {
            report.modes[i].simulated = summarize(outcomes[i]);
            report.modes[i].outcomes = std::move(outcomes[i]);
        }
    }

    std::vector<std::pair<std::string, std::string>> files;
    if (options.csvPath && *options.csvPath != "-")
        files.emplace_back(*options.csvPath, formatCsv(report));
    if (options.svgPath)
        files.emplace_back(*options.svgPath, formatSvg(report));
    if (options.curvePath)
        files.emplace_back(*options.curvePath, formatCurveCsv(report));
    if (options.distributionPath)
        files.emplace_back(*options.distributionPath, formatDistributionCsv(report));
    if (const auto problem = writeFiles(files)) {
        err << "perne-stats: " << *problem << "\n";
        return kExitFailed;
    }

    return print(out, err,
                 options.csvPath && *options.csvPath == "-" ? formatCsv(report)
                                                            : formatTable(report));
}

} // namespace perne::cli
