#include "batch.h"
#include "distribution.h"
#include "exact.h"
#include "headless.h"
#include "options.h"
#include "program.h"
#include "report.h"

#include "scratchfolder.h"
#include "wellformed.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

using namespace perne;
using namespace perne::cli;
using namespace perne::stats;
namespace fs = std::filesystem;

namespace {

struct Result
{
    int status;
    std::string out, err;
};

Result run(const std::vector<std::string> &arguments)
{
    std::ostringstream out, err;
    const int status = runProgram(arguments, out, err, false);
    return {status, out.str(), err.str()};
}

class Program : public ScratchFolder
{
protected:
    long files() const { return std::distance(fs::directory_iterator(m_folder), {}); }
};

} // namespace

// The same seed gives the same files on any number of threads, another seed other runs;
// only the results are left in the folder. The CSV's columns are the header's, "--csv -"
// prints it instead of the table, and without runs the simulated columns and the seed are
// empty.
TEST_F(Program, TheSameSeedGivesTheSameFilesOnAnyNumberOfThreads)
{
    const auto arguments = [&](const std::string &name, const char *seed, const char *threads) {
        std::vector<std::string> a{"--mode", "dog", "--runs", "12", "--threads", threads};
        a.insert(a.end(),
                 {"--seed", seed, "--csv", path(name + ".csv"), "--svg", path(name + ".svg")});
        return a;
    };
    ASSERT_EQ(run(arguments("a", "424242", "1")).status, kExitOk);
    ASSERT_EQ(run(arguments("b", "424242", "2")).status, kExitOk);
    const Result c = run(arguments("c", "424243", "2"));
    ASSERT_EQ(c.status, kExitOk);
    EXPECT_EQ(slurp("a.csv"), slurp("b.csv"));
    EXPECT_EQ(slurp("a.svg"), slurp("b.svg"));
    EXPECT_NE(slurp("a.csv"), slurp("c.csv"));
    EXPECT_TRUE(wellFormed(slurp("a.svg")));
    EXPECT_EQ(files(), 6);
    EXPECT_NE(c.out.find("乱数の種 424243"), std::string::npos) << c.out;

    const auto cells = [](std::initializer_list<std::optional<double>> values) {
        std::string text;
        for (const auto &value : values)
            text += ',' + numberText(value);
        return text;
    };
    const ExactValues e = exactValues(Mode::Dog, {}, ticksPerTimer());
    const std::string exactPart =
        "dog,4,4,6,4," + std::to_string(ticksPerTimer()) +
        cells({e.meanMeetings, e.meetingProbability, e.firstMeetingSeconds, e.meanMoves,
               e.meetingsPer100Moves});
    const Summary s = summarize(runBatches({{Mode::Dog, {}, 12, 424242}}, 1)[0]);
    const std::string row = exactPart + ",12" +
                            cells({s.mean, s.sd, s.ciLow, s.ciHigh, double(s.min), double(s.max)}) +
                            ",424242";
    EXPECT_TRUE(slurp("a.csv").starts_with(
        "mode,momotaro_x,momotaro_y,dog_x,dog_y,ticks_per_timer,exact_mean,exact_p_meet,"
        "exact_first_meeting_s,exact_moves,exact_meetings_per_100_moves,runs,mean,sd,"
        "ci95_low,ci95_high,min,max,seed\n" +
        row + "\n\n"))
        << slurp("a.csv");
    EXPECT_EQ(run({"--mode", "dog", "--runs", "12", "--seed", "424242", "--csv", "-"}).out,
              slurp("a.csv"));
    EXPECT_TRUE(run({"--mode", "dog", "--runs", "0", "--csv", "-"})
                    .out.ends_with(exactPart + ",0,,,,,,,\n"));
    EXPECT_EQ(run({"--version"}).out, "perne-stats " PERNE_PROJECT_VERSION "\n");
}

TEST_F(Program, BadArgumentsAreRefusedWithOneLineAndNothingWritten)
{
    const std::string csv = path("out.csv");
    const std::string svg = path("out.svg");
    const std::vector<std::vector<std::string>> bad{{"--momotaro", "11,4"},
                                                    {"--dog", "3"},
                                                    {"--dog", "4,4,4"},
                                                    {"--momotaro", "a,4"},
                                                    {"--dog", "４，４，４"},
                                                    {"--curve", "-"},
                                                    {"--curve", csv},
                                                    {"--distribution", "-"},
                                                    {"--distribution", csv},
                                                    {"--runs", "-5"},
                                                    {"--runs", "1000001"},
                                                    {"--runs", ""},
                                                    {"--seed", "18446744073709551616"},
                                                    {"--mode", "walk"},
                                                    {"--frobnicate"},
                                                    {"extra"},
                                                    {"--runs"},
                                                    {"--threads", "0"},
                                                    {"--svg", "-"},
                                                    {"--runs", "0", "--svg", svg},
                                                    {"--runs", "2", "--runs", "3"},
                                                    {"--csv", svg, "--svg", svg},
                                                    {"--csv", path("missing/out.csv")},
                                                    {"--csv", path("new\nline/out.csv")},
                                                    {"--mode", "both\r\n\x1B[2J"},
                                                    {"--svg", m_folder}};
    for (auto arguments : bad) {
        const std::string shown = testing::PrintToString(arguments);
        // A CSV file is asked for every time, and must not appear.
        if (std::find(arguments.begin(), arguments.end(), "--csv") == arguments.end())
            arguments.insert(arguments.begin(), {"--csv", csv});
        const Result r = run(arguments);
        EXPECT_EQ(r.status, kExitUsage) << shown;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << shown << r.err;
        EXPECT_TRUE(r.err.starts_with("perne-stats: ")) << r.err;
        EXPECT_TRUE(r.out.empty()) << shown;
        EXPECT_EQ(files(), 0) << shown;
    }
}

// Two output options that are one file under two names are refused before any work, with one
// line: a "./" or a ".." in one name, a symbolic link, a hard link, a link to a file still to
// be made. Every file in the folder stays as it was.
TEST_F(Program, OutputsThatAreOneFileUnderTwoNamesAreRefusedBeforeAnyWork)
{
    fs::create_directory(path("d"));
    std::ofstream(path("r2.csv")) << "keep\n";
    fs::create_symlink("r2.csv", path("link.svg"));
    fs::create_hard_link(path("r2.csv"), path("hard.csv"));
    fs::create_symlink("made.csv", path("later.svg"));
    fs::create_symlink("d", path("dl"));
    const auto snapshot = [this] {
        std::map<std::string, std::string> seen;
        for (const auto &entry : fs::recursive_directory_iterator(m_folder))
            seen[entry.path().string()] =
                entry.is_symlink()
                    ? "-> " + fs::read_symlink(entry).string()
                    : (entry.is_regular_file() ? slurp(fs::relative(entry, m_folder)) : "folder");
        return seen;
    };
    const auto before = snapshot();
    const std::pair<std::string, std::string> pairs[] = {
        {"r.csv", m_folder + "/./r.csv"}, {"r2.csv", "link.svg"},    {"d/../r3.csv", "r3.csv"},
        {"r2.csv", "hard.csv"},           {"made.csv", "later.svg"}, {"dl/x.csv", "d/x.csv"}};
    for (const auto &[first, second] : pairs) {
        const auto full = [this](const std::string &name) {
            return name.starts_with("/") ? name : path(name);
        };
        const Result r = run({"--runs", "10", "--csv", full(first), "--svg", full(second)});
        EXPECT_EQ(r.status, kExitUsage) << first << " " << second;
        EXPECT_EQ(r.err, "perne-stats: --csv, --svg: 同じファイルには書けません / cannot write "
                         "both to the same file\n");
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(snapshot(), before) << first << " " << second;
    }
    // Two names of two files are two outputs.
    EXPECT_EQ(run({"--runs", "1", "--csv", path("d/x.csv"), "--svg", path("x.csv")}).status,
              kExitOk);
}

// A coordinate is read as the window reads a typed answer: full-width digits and comma,
// blanks, halves to even; text with no digit is refused here rather than read as 0.
TEST(Options, StartingPointsAreReadAsTheWindowReadsAnswers)
{
    const std::pair<const char *, std::optional<Point>> cases[] = {
        {"４，４", Point{4, 4}},  {"１０,０", Point{10, 0}},   {"3，7", Point{3, 7}},
        {" 2 , 9 ", Point{2, 9}}, {"２．５,1.5", Point{2, 2}}, {"４、４", std::nullopt},
        {"x,4", std::nullopt},    {"4,", std::nullopt},        {"１１,4", std::nullopt},
        {"4,4,4", std::nullopt},  {"-1,4", std::nullopt},      {"４４", std::nullopt}};
    for (const auto &[text, expected] : cases) {
        const auto parsed = parseArguments({"--dog", text});
        const auto *options = std::get_if<Options>(&parsed);
        EXPECT_EQ(options ? std::optional(options->start.dog) : std::nullopt, expected) << text;
    }
}

// The CSV's three tables and the curve's file, read back as a spreadsheet would: every
// table under its own header; the histogram and every run as the batch gave them; the curve
// one row per mode and period, its seconds period x 0.2, its values the exact ones to the
// last bit and ending on exact_p_meet.
TEST_F(Program, TheCsvTablesAndTheCurveReadBack)
{
    ASSERT_EQ(run({"--runs", "25", "--seed", "77", "--threads", "1", "--csv", path("r.csv"),
                   "--curve", path("c.csv")})
                  .status,
              kExitOk);
    const auto table = [](const std::string &text) {
        std::vector<std::vector<std::vector<std::string>>> tables(1);
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            if (line.empty()) {
                tables.emplace_back();
                continue;
            }
            std::vector<std::string> cells(1);
            for (const char c : line)
                if (c == ',')
                    cells.emplace_back();
                else
                    cells.back().push_back(c);
            tables.back().push_back(cells);
        }
        return tables;
    };
    const auto tables = table(slurp("r.csv"));
    ASSERT_EQ(tables.size(), 3u);
    EXPECT_EQ(tables[1][0], (std::vector<std::string>{"mode", "meetings", "runs"}));
    EXPECT_EQ(tables[2][0],
              (std::vector<std::string>{"mode", "run", "meetings", "first_meeting_s"}));
    ASSERT_EQ(tables[2].size(), 1 + 2 * 25u);
    const auto outcomes = runBatches({{Mode::Both, {}, 25, 77}, {Mode::Dog, {}, 25, 77}}, 2);
    EXPECT_EQ(tables[1].size(), 1 + summarize(outcomes[0]).histogram.size() +
                                    summarize(outcomes[1]).histogram.size());
    for (std::size_t m = 0; m < 2; ++m) {
        const std::string key(modeKey(kAllModes[m]));
        const Summary s = summarize(outcomes[m]);
        std::vector<long long> histogram;
        for (const auto &row : tables[1])
            if (row[0] == key && std::stoi(row[1]) == static_cast<int>(histogram.size()))
                histogram.push_back(std::stoll(row[2]));
        EXPECT_EQ(histogram, s.histogram) << key;
        for (std::size_t i = 0; i < 25; ++i) {
            const auto &row = tables[2][1 + m * 25 + i];
            const RunOutcome &o = outcomes[m][i];
            ASSERT_EQ(row.size(), 4u);
            EXPECT_EQ(row[0] + ' ' + row[1] + ' ' + row[2],
                      key + ' ' + std::to_string(i + 1) + ' ' + std::to_string(o.meetings));
            if (o.firstMeetingPeriod == 0)
                EXPECT_EQ(row[3], "");
            else
                EXPECT_DOUBLE_EQ(std::stod(row[3]),
                                 0.2 * static_cast<double>(o.firstMeetingPeriod));
        }
    }

    const auto curve = table(slurp("c.csv"));
    ASSERT_EQ(curve.size(), 1u);
    const auto perMode = static_cast<std::size_t>(ticksPerTimer()) + 1;
    ASSERT_EQ(curve[0].size(), 1 + 2 * perMode);
    EXPECT_EQ(curve[0][0], (std::vector<std::string>{"mode", "period", "seconds", "p_met"}));
    for (std::size_t m = 0; m < 2; ++m) {
        const ExactValues e = exactValues(kAllModes[m], {}, ticksPerTimer());
        for (std::size_t k = 0; k < perMode; ++k) {
            const auto &row = curve[0][1 + m * perMode + k];
            ASSERT_EQ(row.size(), 4u);
            EXPECT_EQ(row[0], modeKey(kAllModes[m]));
            EXPECT_EQ(row[1], std::to_string(k));
            EXPECT_DOUBLE_EQ(std::stod(row[2]), 0.2 * static_cast<double>(k));
            EXPECT_EQ(std::strtod(row[3].c_str(), nullptr), e.metByPeriod[k]) << k;
        }
        EXPECT_EQ(curve[0][m * perMode + perMode][3], tables[0][1 + m][7]);
    }
}

// The distribution's file: one row per mode and count from 0, the exact values to the last
// bit, for the points asked for and only the modes asked for; with a batch or without.
TEST_F(Program, TheDistributionReadsBack)
{
    const auto rows = [&](const std::string &name) {
        std::vector<std::string> lines;
        std::istringstream text(slurp(name));
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
        return lines;
    };
    ASSERT_EQ(run({"--runs", "3", "--distribution", path("d.csv")}).status, kExitOk);
    ASSERT_EQ(run({"--runs", "0", "--mode", "dog", "--momotaro", "０，０", "--dog", "1,0",
                   "--distribution=" + path("dog.csv")})
                  .status,
              kExitOk);
    for (const auto &[name, modes, start] :
         {std::tuple{"d.csv", std::vector<Mode>{Mode::Both, Mode::Dog}, StartingPoints{}},
          std::tuple{"dog.csv", std::vector<Mode>{Mode::Dog}, StartingPoints{{0, 0}, {1, 0}}}}) {
        SCOPED_TRACE(name);
        const auto lines = rows(name);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0], "mode,meetings,probability");
        std::size_t at = 1;
        for (const Mode mode : modes) {
            const auto expected = meetingDistribution(mode, start, ticksPerTimer());
            for (std::size_t k = 0; k < expected.size(); ++k, ++at) {
                ASSERT_LT(at, lines.size());
                const std::string prefix =
                    std::string(modeKey(mode)) + "," + std::to_string(k) + ",";
                ASSERT_TRUE(lines[at].starts_with(prefix)) << lines[at];
                EXPECT_EQ(std::strtod(lines[at].c_str() + prefix.size(), nullptr), expected[k]);
            }
        }
        EXPECT_EQ(at, lines.size());
    }
}
