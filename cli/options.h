#pragma once

#include "mode.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace perne::cli {

constexpr long long kDefaultRuns = 1000;
constexpr long long kMaxRuns = 1'000'000;
constexpr int kMaxThreads = 64;

struct Options
{
    stats::StartingPoints start;
    std::vector<stats::Mode> modes{stats::kAllModes.begin(), stats::kAllModes.end()};
    long long runs = kDefaultRuns;
    std::optional<std::uint64_t> seed;
    // "-" is standard output.
    std::optional<std::string> csvPath;
    std::optional<std::string> svgPath;
    std::optional<std::string> curvePath;
    std::optional<std::string> distributionPath;
    // Every option given that names an output file, in order: (option, file).
    std::vector<std::pair<std::string, std::string>> outputs;
    // 0: one per core.
    int threads = 0;
    bool help = false;
    bool version = false;
};

// A refused command line: one line to show on standard error.
struct UsageError
{
    std::string message;
};

std::variant<Options, UsageError> parseArguments(const std::vector<std::string> &arguments);

// The --help text, in Japanese and in English.
std::string helpText();

// "perne-stats" and the project's version, for --version.
std::string versionText();

} // namespace perne::cli
