#include "numbertext.h"

#include <gtest/gtest.h>

using perne::numberText;

TEST(NumberText, NonNegativeNumbersGetALeadingSpaceNegativeOnesTheirSign)
{
    EXPECT_EQ(numberText(0), " 0");
    EXPECT_EQ(numberText(3), " 3");
    EXPECT_EQ(numberText(180), " 180");
    EXPECT_EQ(numberText(-3), "-3");
    EXPECT_EQ(numberText(32767), " 32767");
}
