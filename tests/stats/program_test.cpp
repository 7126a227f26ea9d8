#include "exact.h"
#include "headless.h"
#include "program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace perne;
using namespace perne::stats;
namespace fs = std::filesystem;

namespace {

struct Result
{
    int status;
    std::string out;
    std::string err;
};

Result run(const std::vector<std::string> &arguments)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = runProgram(arguments, out, err, false);
    return {status, out.str(), err.str()};
}

std::string slurp(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> split(const std::string &text, char separator)
{
    std::vector<std::string> parts(1);
    for (const char c : text) {
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

// A small XML reader that only says whether the text is well formed: one root, tags that
// nest and close by name, quoted attributes, entities only of the five XML kinds.
bool wellFormedXml(const std::string &xml, std::string &why)
{
    std::vector<std::string> open;
    bool rootSeen = false;
    std::size_t i = 0;
    auto checkText = [&](std::size_t from, std::size_t to) {
        for (std::size_t k = from; k < to; ++k) {
            if (xml[k] != '&')
                continue;
            bool known = false;
            for (const char *entity : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"})
                known = known || xml.compare(k, std::strlen(entity), entity) == 0;
            if (!known)
                return false;
        }
        return true;
    };
    while (i < xml.size()) {
        const std::size_t lt = xml.find('<', i);
        if (!checkText(i, lt == std::string::npos ? xml.size() : lt))
            return why = "bare &", false;
        if (lt == std::string::npos)
            break;
        const std::size_t gt = xml.find('>', lt);
        if (gt == std::string::npos)
            return why = "unclosed tag", false;
        std::string tag = xml.substr(lt + 1, gt - lt - 1);
        i = gt + 1;
        if (tag.starts_with("?"))
            continue;
        if (tag.starts_with("/")) {
            if (open.empty() || open.back() != tag.substr(1))
                return why = "mismatched </" + tag.substr(1) + ">", false;
            open.pop_back();
            continue;
        }
        const bool selfClosing = tag.ends_with("/");
        if (selfClosing)
            tag.pop_back();
        const std::string name = tag.substr(0, tag.find_first_of(" \n\t"));
        // Attributes: name="value" pairs, values without '<'.
        std::size_t q = name.size();
        while (q < tag.size()) {
            q = tag.find_first_not_of(" \n\t", q);
            if (q == std::string::npos)
                break;
            const std::size_t eq = tag.find('=', q);
            if (eq == std::string::npos || tag[eq + 1] != '"')
                return why = "unquoted attribute in <" + name + ">", false;
            const std::size_t end = tag.find('"', eq + 2);
            if (end == std::string::npos || !checkText(lt + 1 + eq + 2, lt + 1 + end))
                return why = "bad attribute in <" + name + ">", false;
            q = end + 1;
        }
        if (open.empty() && rootSeen)
            return why = "second root", false;
        rootSeen = true;
        if (!selfClosing)
            open.push_back(name);
    }
    if (!open.empty())
        return why = "<" + open.back() + "> never closed", false;
    return rootSeen;
}

std::size_t occurrences(const std::string &text, const std::string &what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class ProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() /
                   ("perne-stats-test-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }
    std::string path(const std::string &name) const { return (m_folder / name).string(); }
    std::vector<std::string> folderContents() const
    {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(m_folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path m_folder;
};

} // namespace

TEST_F(ProgramTest, TheSameSeedWritesTheSameCsvWhateverTheThreads)
{
    auto withCsv = [&](const std::string &name, const std::string &seed,
                       const std::string &threads) {
        return std::vector<std::string>{"--mode", "dog",   "--runs",   "12",        "--seed",
                                        seed,     "--csv", path(name), "--threads", threads};
    };
    ASSERT_EQ(run(withCsv("a.csv", "424242", "1")).status, kExitOk);
    ASSERT_EQ(run(withCsv("b.csv", "424242", "2")).status, kExitOk);
    ASSERT_EQ(run(withCsv("c.csv", "424243", "2")).status, kExitOk);
    EXPECT_EQ(slurp(path("a.csv")), slurp(path("b.csv")));
    EXPECT_NE(slurp(path("a.csv")), slurp(path("c.csv")));
    // Nothing but the results: the temporary files are gone.
    EXPECT_EQ(folderContents(), (std::vector<std::string>{"a.csv", "b.csv", "c.csv"}));
}

TEST_F(ProgramTest, CsvOnStandardOutputReplacesTheTable)
{
    const Result r = run({"--mode", "dog", "--runs", "0", "--csv", "-"});
    EXPECT_EQ(r.status, kExitOk);
    const std::vector<std::string> lines = split(r.out, '\n');
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[1].starts_with("dog,4,4,6,4,"));
    // No runs: the simulated columns are empty.
    EXPECT_TRUE(lines[1].ends_with(",0,,,,,,")) << lines[1];
    EXPECT_EQ(r.out.find("ペルネ"), std::string::npos);
}

TEST_F(ProgramTest, TheTableShowsBothModesSideBySide)
{
    const Result r = run({"--runs", "5", "--seed", "1", "--dog", "5,4"});
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_TRUE(r.err.empty());
    const std::size_t header = r.out.find("２人が動くとき");
    ASSERT_NE(header, std::string::npos);
    EXPECT_EQ(r.out.find('\n', header),
              r.out.find("１人が動くとき", header) + std::string("１人が動くとき").size());
    EXPECT_NE(r.out.find("ペルネ回数の期待値（厳密）"), std::string::npos);
    EXPECT_NE(r.out.find("乱数の種 1"), std::string::npos);
    EXPECT_NE(r.out.find("同（時間制限がないとき、厳密）"), std::string::npos);
}

TEST_F(ProgramTest, BadArgumentsAreRefusedWithOneLineAndNothingWritten)
{
    const std::string csv = path("out.csv");
    const std::string svg = path("out.svg");
    const std::vector<std::vector<std::string>> bad{
        {"--momotaro", "11,4"},
        {"--dog", "3"},
        {"--dog", "-1,2"},
        {"--dog", "4,4,4"},
        {"--momotaro", "4.5,4"},
        {"--momotaro", " 4,4"},
        {"--runs", "-5"},
        {"--runs", "1000001"},
        {"--runs", "1e3"},
        {"--runs", "99999999999999999999999"},
        {"--runs", ""},
        {"--seed", "abc"},
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
        {"--svg", m_folder.string()},
    };
    for (auto arguments : bad) {
        const std::string shown = ::testing::PrintToString(arguments);
        // A CSV file is asked for every time, and must not appear.
        if (std::find(arguments.begin(), arguments.end(), "--csv") == arguments.end())
            arguments.insert(arguments.begin(), {"--csv", csv});
        const Result r = run(arguments);
        EXPECT_EQ(r.status, kExitUsage) << shown;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << shown << r.err;
        EXPECT_TRUE(r.err.starts_with("perne-stats: ")) << r.err;
        EXPECT_TRUE(r.out.empty()) << shown;
        EXPECT_TRUE(folderContents().empty()) << shown;
    }
}

TEST_F(ProgramTest, HelpIsInJapaneseAndEnglish)
{
    const Result r = run({"--help"});
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_NE(r.out.find("使い方: perne-stats"), std::string::npos);
    EXPECT_NE(r.out.find("Usage: perne-stats"), std::string::npos);
    EXPECT_NE(r.out.find("--momotaro X,Y"), std::string::npos);
}

TEST_F(ProgramTest, TheChartIsWellFormedAndHoldsBothHistograms)
{
    const std::string svg = path("chart.svg");
    const std::string csv = path("chart.csv");
    const Result r =
        run({"--runs", "30", "--seed", "5", "--svg", svg, "--csv", csv, "--momotaro", "4,5"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    const std::string chart = slurp(svg);
    std::string why;
    EXPECT_TRUE(wellFormedXml(chart, why)) << why;
    EXPECT_TRUE(chart.starts_with("<?xml"));
    EXPECT_NE(chart.find("IPAPGothic"), std::string::npos);
    EXPECT_NE(chart.find("ペルネ回数の分布"), std::string::npos);
    EXPECT_NE(chart.find("1回の実験でのペルネ回数"), std::string::npos);

    const std::vector<std::string> rows = split(slurp(csv), '\n');
    ASSERT_EQ(rows.size(), 4u); // header, two rows, and the final newline
    EXPECT_EQ(rows[0], "mode,momotaro_x,momotaro_y,dog_x,dog_y,ticks_per_timer,exact_mean,"
                       "exact_p_meet,exact_first_meeting_s,exact_moves,"
                       "exact_meetings_per_100_moves,runs,mean,sd,ci95_low,ci95_high,min,max");
    EXPECT_TRUE(rows[3].empty());
    for (std::size_t row = 1; row <= 2; ++row) {
        const std::vector<std::string> cells = split(rows[row], ',');
        ASSERT_EQ(cells.size(), 18u) << rows[row];
        EXPECT_EQ(cells[0], row == 1 ? "both" : "dog");
        EXPECT_EQ(std::vector<std::string>(cells.begin() + 1, cells.begin() + 6),
                  (std::vector<std::string>{"4", "5", "6", "4", std::to_string(ticksPerTimer())}));
        EXPECT_EQ(cells[11], "30");
        EXPECT_LE(std::stod(cells[14]), std::stod(cells[12]));
        EXPECT_GE(std::stod(cells[15]), std::stod(cells[12]));
        EXPECT_LE(std::stoi(cells[16]), std::stoi(cells[17]));
    }
    EXPECT_EQ(std::stod(split(rows[2], ',')[6]),
              exactValues(Mode::Dog, {{4, 5}, {6, 4}}, ticksPerTimer()).meanMeetings);

    // One group of bars per mode, one bar per count that some run had.
    for (const auto &[colour, row] :
         {std::pair{"#D55E00", rows[1]}, std::pair{"#0072B2", rows[2]}}) {
        const std::size_t group = chart.find(std::string("<g fill=\"") + colour + "\">");
        ASSERT_NE(group, std::string::npos) << colour;
        const std::string bars = chart.substr(group, chart.find("</g>", group) - group);
        const std::vector<std::string> cells = split(row, ',');
        const int spread = std::stoi(cells[17]) - std::stoi(cells[16]);
        EXPECT_GE(occurrences(bars, "<rect"), 2u);
        EXPECT_LE(occurrences(bars, "<rect"), static_cast<std::size_t>(spread + 1));
        // The exact mean is marked with a dashed line in the mode's colour.
        EXPECT_EQ(occurrences(chart, std::string("stroke=\"") + colour +
                                         "\" stroke-width=\"5\" "
                                         "stroke-dasharray"),
                  1u);
    }
}
