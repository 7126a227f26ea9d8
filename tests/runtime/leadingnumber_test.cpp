#include "leadingnumber.h"
#include "rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using perne::leadingNumber;
using perne::roundHalfEven;

namespace {
constexpr double kInf = std::numeric_limits<double>::infinity();
}

TEST(LeadingNumber, ReadsSignDigitsOnePointAndAnExponentAndStopsAtTheRest)
{
    EXPECT_EQ(leadingNumber("7x"), 7.0);
    EXPECT_EQ(leadingNumber("12abc34"), 12.0);
    EXPECT_EQ(leadingNumber("-3.25"), -3.25);
    EXPECT_EQ(leadingNumber("+4"), 4.0);
    EXPECT_EQ(leadingNumber(".5"), 0.5);
    EXPECT_EQ(leadingNumber("5."), 5.0);
    EXPECT_EQ(leadingNumber("3.4.5"), 3.4);
    EXPECT_EQ(leadingNumber("1.5e1"), 15.0);
    EXPECT_EQ(leadingNumber("2D2"), 200.0);
    EXPECT_EQ(leadingNumber("1E-1"), 0.1);
    EXPECT_EQ(leadingNumber("1e"), 1.0);
    EXPECT_EQ(leadingNumber("1e+"), 1.0);
    EXPECT_EQ(leadingNumber("1ex"), 1.0);
    EXPECT_EQ(leadingNumber("0x1A"), 0.0);
}

TEST(LeadingNumber, TextWithoutALeadingNumberReadsZero)
{
    for (const char *text : {"", "abc", "   ", "-", "+", ".", "--5", "+-5", "e5", ".e5", "nan",
                             "inf", "infinity", "\x01", "x1"})
        EXPECT_EQ(leadingNumber(text), 0.0) << '"' << text << '"';
}

TEST(LeadingNumber, IgnoresBlanksWhereverTheyStand)
{
    EXPECT_EQ(leadingNumber("1 0"), 10.0);
    EXPECT_EQ(leadingNumber(" - 1 . 5 "), -1.5);
    EXPECT_EQ(leadingNumber("\t3\r\n"), 3.0);
    EXPECT_EQ(leadingNumber("1e 2"), 100.0);
    EXPECT_EQ(leadingNumber("３　４"), 34.0);
}

// What a Japanese input method types reads as its ASCII twin.
TEST(LeadingNumber, ReadsFullWidthDigitsSignsPointAndBlanks)
{
    EXPECT_EQ(leadingNumber("５"), 5.0);
    EXPECT_EQ(leadingNumber("１０"), 10.0);
    EXPECT_EQ(leadingNumber("－１"), -1.0);
    EXPECT_EQ(leadingNumber("＋２"), 2.0);
    EXPECT_EQ(leadingNumber("　３"), 3.0);
    EXPECT_EQ(leadingNumber("１．５"), 1.5);
    EXPECT_EQ(leadingNumber("１ｅ２"), 100.0);
    EXPECT_EQ(leadingNumber("\u2212"
                            "2"),
              -2.0); // the minus sign
    EXPECT_EQ(leadingNumber("５ｘ"), 5.0);
    EXPECT_EQ(leadingNumber("ー１"), 0.0); // a long vowel mark is not a minus
}

TEST(LeadingNumber, BrokenUtf8EndsTheNumberAndNeverReadsPastTheText)
{
    EXPECT_EQ(leadingNumber("\xEF\xBC"), 0.0); // a full-width digit cut short
    EXPECT_EQ(leadingNumber("5\xEF\xBC"), 5.0);
    EXPECT_EQ(leadingNumber("5\xEF"), 5.0);
    EXPECT_EQ(leadingNumber("\xC3"), 0.0);
    EXPECT_EQ(leadingNumber(std::string("4\x80") + "5"), 4.0);
    EXPECT_EQ(leadingNumber("\xE0\x80\xB5"), 0.0);     // an overlong '5'
    EXPECT_EQ(leadingNumber("\xF0\x8F\xBC\x95"), 0.0); // an overlong full-width 5
    EXPECT_EQ(leadingNumber("\xFF\xBC\x95"), 0.0);
    EXPECT_EQ(leadingNumber("\xED\xBF\x95"), 0.0); // a surrogate
    EXPECT_EQ(leadingNumber(std::string("6\0", 2) + "7"), 6.0);
}

// Beyond a double's range the reading saturates so that callers can refuse it.
TEST(LeadingNumber, ANumberBeyondDoublePrecisionReadsAsInfinityOrZero)
{
    EXPECT_EQ(leadingNumber("1e400"), kInf);
    EXPECT_EQ(leadingNumber("-1e999"), -kInf);
    EXPECT_EQ(leadingNumber("1e99999999999999999999999"), kInf);
    EXPECT_EQ(leadingNumber(std::string(1000, '9')), kInf);
    EXPECT_EQ(leadingNumber("-" + std::string(1000, '1') + ".5"), -kInf);
    EXPECT_EQ(leadingNumber("0.0000001e316"), kInf);
    EXPECT_EQ(leadingNumber("1e-400"), 0.0);
    EXPECT_EQ(leadingNumber("-1e-400"), 0.0);
    EXPECT_EQ(leadingNumber("0e99999"), 0.0);
    EXPECT_EQ(leadingNumber("1" + std::string(400, '0') + "e-398"), 100.0);
    EXPECT_EQ(leadingNumber("1.7e308"), 1.7e308);
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(roundHalfEven(0.5), 0.0);
    EXPECT_EQ(roundHalfEven(1.5), 2.0);
    EXPECT_EQ(roundHalfEven(2.5), 2.0);
    EXPECT_EQ(roundHalfEven(3.5), 4.0);
    EXPECT_EQ(roundHalfEven(-1.5), -2.0);
    EXPECT_EQ(roundHalfEven(-2.5), -2.0);
    EXPECT_EQ(roundHalfEven(2.5000001), 3.0);
    EXPECT_EQ(roundHalfEven(std::nextafter(0.5, 0.0)), 0.0);
}
