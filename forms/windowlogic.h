#pragma once

#include "design.h"
#include "problemtexts.h"

#include <array>
#include <optional>
#include <string_view>

// What both front ends do alike around the windows, once: the problem window's printout on
// activation, the button that takes the focus from one being disabled, and the tightening of
// a caption too wide for its box. Each front end only carries the steps out.
namespace perne {

// One step of printing into a print box, as the problem window takes them on activation.
enum class PrintOp {
    Clear,      // empty the box; the print position goes back to the top-left corner
    EmptyLine,  // print an empty line (in whatever size the box has then)
    FontSize,   // points
    ForeColour, // a colour number of the sixteen-colour table
    Line,       // print one line of text
};

struct PrintStep
{
    const char *box; // "Picture1" or "Picture2"
    PrintOp op;
    const char *text = "";
    double value = 0;
};

// Every time the problem window is activated: both boxes are printed afresh, the first empty
// line of each in the size the box had before.
constexpr auto kProblemPrintout = [] {
    constexpr std::size_t kCount = 8 + kProblemLines.size() + 6 + kConditionLines.size() + 1;
    std::array<PrintStep, kCount> steps{};
    std::size_t n = 0;
    const auto add = [&](PrintStep s) { steps[n++] = s; };
    add({"Picture1", PrintOp::Clear});
    add({"Picture1", PrintOp::EmptyLine});
    add({"Picture1", PrintOp::FontSize, "", kPrintPointSize});
    add({"Picture1", PrintOp::ForeColour, "", kHeadingColour});
    add({"Picture1", PrintOp::Line, kContestLine});
    add({"Picture1", PrintOp::EmptyLine});
    add({"Picture1", PrintOp::ForeColour, "", kTextColour});
    add({"Picture1", PrintOp::Line, kProblemHeading});
    for (const char *line : kProblemLines)
        add({"Picture1", PrintOp::Line, line});
    add({"Picture2", PrintOp::Clear});
    add({"Picture2", PrintOp::EmptyLine});
    add({"Picture2", PrintOp::FontSize, "", kPrintPointSize});
    add({"Picture2", PrintOp::ForeColour, "", kHeadingColour});
    add({"Picture2", PrintOp::Line, kConditionsHeading});
    add({"Picture2", PrintOp::ForeColour, "", kConditionColour});
    for (const char *line : kConditionLines)
        add({"Picture2", PrintOp::Line, line});
    add({"Picture2", PrintOp::ForeColour, "", kTextColour});
    return steps;
}();

// The button that takes the focus when `disabled`, which had it, goes disabled: the next
// enabled button after it in tab order, going round; never Quit (Command1), so that a stray
// key cannot ask to end the program. None if no button qualifies.
template <std::size_t N, typename IsEnabled>
std::optional<std::string_view> buttonTakingFocusFrom(const std::array<DesignControl, N> &controls,
                                                      std::string_view disabled,
                                                      IsEnabled isEnabled)
{
    // The buttons in tab order (a few, sorted in place: no allocation, small in the page).
    std::array<const DesignControl *, N> buttons{};
    std::size_t count = 0;
    for (const DesignControl &c : controls) {
        if (c.kind != ControlKind::Button)
            continue;
        std::size_t at = count++;
        for (; at > 0 && buttons[at - 1]->tabIndex > c.tabIndex; --at)
            buttons[at] = buttons[at - 1];
        buttons[at] = &c;
    }
    std::size_t from = 0;
    while (from < count && buttons[from]->name != disabled)
        ++from;
    if (from == count)
        return std::nullopt;
    for (std::size_t i = 1; i < count; ++i) {
        const std::string_view name = buttons[(from + i) % count]->name;
        if (name != "Command1" && isEnabled(name))
            return name;
    }
    return std::nullopt;
}

// Some axis marks are barely wider than their box in a substitute face: they are drawn a
// little tighter rather than cut off, half a pixel of letter spacing at a time down to -3.
// `widthAt(spacing)` measures the caption at a spacing; the spacing to draw it with.
template <typename WidthAt> double fittedCaptionSpacing(double boxWidth, WidthAt widthAt)
{
    constexpr double kStep = 0.5;
    constexpr double kTightest = -3.0;
    double spacing = 0;
    while (widthAt(spacing) > boxWidth && spacing > kTightest)
        spacing -= kStep;
    return spacing;
}

} // namespace perne
