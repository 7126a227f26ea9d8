#include "walk.h"

#include <gtest/gtest.h>

using namespace perne;

TEST(Step, InACornerThreeOfEightDirectionsStayPut)
{
    const Point corner{0, 0};
    EXPECT_EQ(step(corner, 1), (Point{1, 0}));
    EXPECT_EQ(step(corner, 2), (Point{1, 1}));
    EXPECT_EQ(step(corner, 3), (Point{0, 1}));
    EXPECT_EQ(step(corner, 4), (Point{0, 1}));
    EXPECT_EQ(step(corner, 5), corner);
    EXPECT_EQ(step(corner, 6), corner);
    EXPECT_EQ(step(corner, 7), corner);
    EXPECT_EQ(step(corner, 8), (Point{1, 0}));
}
