#include "report.h"
#include "summary.h"
#include "wellformed.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace perne::stats;

// Both histograms on one chart: per mode a group of bars in its colour, one bar per count
// some run had, as tall as its share of the runs, and a dashed line at the exact mean.
TEST(Chart, IsWellFormedAndHoldsBothHistograms)
{
    ASSERT_FALSE(wellFormed("<svg><g></svg>"));
    ASSERT_FALSE(wellFormed("<svg>a & b</svg>"));
    Report report;
    report.modes = {{Mode::Both, {}, {}, summarize({{0, 0}, {2, 1}, {2, 1}, {2, 1}}), {}},
                    {Mode::Dog, {}, {}, summarize({{1, 1}, {1, 1}, {3, 1}, {3, 1}}), {}}};
    report.modes[0].exact.meanMeetings = 2.5;
    report.modes[1].exact.meanMeetings = 1.5;
    const std::string svg = formatSvg(report);
    EXPECT_TRUE(wellFormed(svg));
    for (const auto &[colour, shares] : {std::pair{"#D55E00", std::vector{1.0, 3.0}},
                                         std::pair{"#0072B2", std::vector{2.0, 2.0}}}) {
        const std::size_t group = svg.find(std::string("<g fill=\"") + colour + "\">");
        ASSERT_NE(group, std::string::npos) << colour;
        const std::string bars = svg.substr(group, svg.find("</g>", group) - group);
        std::vector<double> heights;
        for (auto at = bars.find("height=\""); at != std::string::npos;
             at = bars.find("height=\"", at + 1))
            heights.push_back(std::stod(bars.substr(at + 8)));
        ASSERT_EQ(heights.size(), shares.size()) << colour;
        EXPECT_NEAR(heights[1] / heights[0], shares[1] / shares[0], 0.01) << colour;
        EXPECT_NE(svg.find(std::string("stroke=\"") + colour + "\" stroke-width=\"5\" " +
                           "stroke-dasharray"),
                  std::string::npos)
            << colour;
    }
}

// The exact values as the table and the teacher's page show them: each row to its decimals,
// a dash where there is no value (no meeting, so no first-meeting time).
TEST(ExactTexts, AreTheTablesDecimalsWithADashForNoValue)
{
    ExactValues values;
    values.meanMeetings = 2.0 / 3.0;
    values.meetingProbability = 0.5;
    values.firstMeetingSeconds = std::nullopt;
    values.meanMoves = 1801.0;
    values.meetingsPer100Moves = 0.0370125;
    const ExactTexts texts = exactTexts(values);
    EXPECT_EQ(texts.meanMeetings, "0.6667");
    EXPECT_EQ(texts.meetingProbability, "0.500000");
    EXPECT_EQ(texts.firstMeetingSeconds, "—");
    EXPECT_EQ(texts.meanMoves, "1801.000");
    EXPECT_EQ(texts.meetingsPer100Moves, "0.0370");

    Report report;
    report.modes = {{Mode::Dog, values, {}, {}, {}}};
    EXPECT_NE(formatTable(report).find("0.6667"), std::string::npos);
}

// For spreadsheets: a byte-order mark, then every line ending in CRLF, nothing else changed.
TEST(SpreadsheetText, MarksUtf8AndEndsEveryLineInCrlf)
{
    EXPECT_EQ(spreadsheetText("a,b\n\nc,\n"), "\xEF\xBB\xBF"
                                              "a,b\r\n\r\nc,\r\n");
    EXPECT_EQ(spreadsheetText(""), "\xEF\xBB\xBF");
}
