#include "form1design.h"
#include "problemtexts.h"
#include "windowlogic.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

using namespace perne;

namespace {

// The simulation window's buttons with only `enabled` enabled: the one that takes the focus
// from `disabled`, or "none".
std::string takesFocus(std::string_view disabled, const std::set<std::string_view> &enabled)
{
    const auto next = buttonTakingFocusFrom(
        kForm1Controls, disabled, [&](std::string_view name) { return enabled.contains(name); });
    return next ? std::string(*next) : std::string("none");
}

} // namespace

// Tab order of the buttons: Command1 (Quit), Command2, Command3, Command4 (Stop), Command5
// (Start), Command6. The focus goes on to the next enabled one, round the end, never to Quit.
TEST(WindowLogic, TheFocusGoesOnToTheNextEnabledButtonButNeverToQuit)
{
    // Start pressed: Start goes, the next enabled button takes the focus.
    EXPECT_EQ(takesFocus("Command5", {"Command4", "Command6", "Command1"}), "Command6");
    // Stop pressed, Start disabled: it passes over Start.
    EXPECT_EQ(takesFocus("Command4", {"Command2", "Command3", "Command6", "Command1"}), "Command6");
    // From the last button round the end, past Quit and a disabled button.
    EXPECT_EQ(takesFocus("Command6", {"Command1", "Command3"}), "Command3");
    // Only Quit is left: nobody takes it; a name that is no button neither.
    EXPECT_EQ(takesFocus("Command6", {"Command1"}), "none");
    EXPECT_EQ(takesFocus("Picture1", {"Command2"}), "none");
}

// A caption is tightened half a pixel at a time until it fits, and never past -3.
TEST(WindowLogic, ACaptionIsTightenedUntilItFitsButNoFurtherThanThreePixels)
{
    // Two letters: each step of spacing takes two steps off the width.
    const auto twoLetters = [](double width) {
        return [width](double spacing) { return width + 2 * spacing; };
    };
    EXPECT_EQ(fittedCaptionSpacing(20, twoLetters(20)), 0.0);
    EXPECT_EQ(fittedCaptionSpacing(20, twoLetters(21)), -0.5);
    EXPECT_EQ(fittedCaptionSpacing(20, twoLetters(22.5)), -1.5);
    EXPECT_EQ(fittedCaptionSpacing(20, twoLetters(40)), -3.0);
}

// Each box is cleared, gets its empty first line in the size it had, then 12 points; the
// problem box ends on the statement, the conditions box goes back to black.
TEST(WindowLogic, TheProblemWindowPrintsEachBoxAfreshFromItsEmptyFirstLine)
{
    std::vector<std::string> lines[2];
    int clears[2] = {0, 0};
    for (std::size_t i = 0; i < kProblemPrintout.size(); ++i) {
        const PrintStep &s = kProblemPrintout[i];
        const int box = std::string_view(s.box) == "Picture1" ? 0 : 1;
        if (s.op == PrintOp::Clear) {
            ++clears[box];
            ASSERT_LT(i + 2, kProblemPrintout.size());
            EXPECT_EQ(kProblemPrintout[i + 1].op, PrintOp::EmptyLine);
            EXPECT_EQ(kProblemPrintout[i + 2].op, PrintOp::FontSize);
            EXPECT_EQ(kProblemPrintout[i + 2].value, kPrintPointSize);
        }
        if (s.op == PrintOp::Line)
            lines[box].push_back(s.text);
    }
    EXPECT_EQ(clears[0], 1);
    EXPECT_EQ(clears[1], 1);
    ASSERT_EQ(lines[0].size(), 2 + kProblemLines.size());
    EXPECT_EQ(lines[0].front(), kContestLine);
    EXPECT_EQ(lines[0].back(), kProblemLines.back());
    ASSERT_EQ(lines[1].size(), 1 + kConditionLines.size());
    EXPECT_EQ(lines[1].front(), kConditionsHeading);
    EXPECT_EQ(kProblemPrintout.back().op, PrintOp::ForeColour);
    EXPECT_EQ(kProblemPrintout.back().value, kTextColour);
}
