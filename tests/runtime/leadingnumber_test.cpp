#include "leadingnumber.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>

// Everyday answers are checked by the acceptance of a starting coordinate (sim tests); these
// are the readings around them: blanks inside, a second point, the D exponent and a dangling
// one, "inf" (which the standard parser would take), the minus sign U+2212 and the long vowel
// mark that only looks like one, an overlong '5', a cut-off sequence, and numbers beyond a
// double's range told apart by their order of magnitude.
TEST(LeadingNumber, ReadsTheLongestLeadingNumberAndSaturatesBeyondDoubleRange)
{
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const std::string hundred = "1" + std::string(400, '0') + "e-398";
    const std::pair<std::string, double> cases[] = {
        {" - 1 . 5 ", -1.5}, {"3.4.5", 3.4},    {"2D2", 200.0},          {"1e+", 1.0},
        {"inf", 0.0},        {"\u22122", -2.0}, {"ー１", 0.0},           {"\xE0\x80\xB5", 0.0},
        {"5\xEF\xBC", 5.0},  {"1e-400", 0.0},   {"0.0000001e316", kInf}, {hundred, 100.0},
    };
    for (const auto &[text, value] : cases)
        EXPECT_EQ(perne::leadingNumber(text), value) << '"' << text << '"';
}

// The one set of stand-ins every reader takes: full-width ASCII forms, the minus sign and the
// ideographic space; the long vowel mark, other Japanese text and broken bytes stay as they are.
TEST(HalfWidth, WritesTheFullWidthFormsTheMinusSignAndTheIdeographicSpaceInAscii)
{
    const std::pair<std::string, std::string> cases[] = {
        {"４，４", "4,4"},
        {"\u2212１．５Ｅ＋２", "-1.5E+2"},
        {"\u3000７\u3000", " 7 "},
        {"ー１", "ー1"},
        {"２人が動くとき\t１２", "2人が動くとき\t12"},
        {"\xEF\xBC", "\xEF\xBC"},
        {"", ""},
    };
    for (const auto &[text, ascii] : cases)
        EXPECT_EQ(perne::halfWidth(text), ascii) << '"' << text << '"';
}
