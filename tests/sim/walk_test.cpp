#include "walk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace perne;

TEST(Step, InTheOpenTheEightDirectionsGoClockwiseStartingToTheRight)
{
    const Point c{5, 5};
    const Point expected[] = {{6, 5}, {6, 6}, {5, 6}, {4, 6}, {4, 5}, {4, 4}, {5, 4}, {6, 4}};
    for (int d = 1; d <= 8; ++d)
        EXPECT_EQ(step(c, d), expected[d - 1]) << "direction " << d;
}

TEST(Step, InACornerThreeOfEightDirectionsStayPut)
{
    const Point topLeft{0, 0};
    const Point a[] = {{1, 0}, {1, 1}, {0, 1}, {0, 1}, {0, 0}, {0, 0}, {0, 0}, {1, 0}};
    const Point bottomRight{10, 10};
    const Point b[] = {{10, 10}, {10, 10}, {10, 10}, {9, 10}, {9, 10}, {9, 9}, {10, 9}, {10, 9}};
    for (int d = 1; d <= 8; ++d) {
        EXPECT_EQ(step(topLeft, d), a[d - 1]) << "direction " << d;
        EXPECT_EQ(step(bottomRight, d), b[d - 1]) << "direction " << d;
    }
}

TEST(Step, OnAnEdgeOutwardDiagonalsSlideAlongItAndTheStraightStepStays)
{
    const Point left{0, 5};
    const Point a[] = {{1, 5}, {1, 6}, {0, 6}, {0, 6}, {0, 5}, {0, 4}, {0, 4}, {1, 4}};
    const Point bottom{5, 10};
    const Point b[] = {{6, 10}, {6, 10}, {5, 10}, {4, 10}, {4, 10}, {4, 9}, {5, 9}, {6, 9}};
    for (int d = 1; d <= 8; ++d) {
        EXPECT_EQ(step(left, d), a[d - 1]) << "direction " << d;
        EXPECT_EQ(step(bottom, d), b[d - 1]) << "direction " << d;
    }
}

TEST(Step, FromAnyLatticePointAStepStaysOnTheLatticeAndMovesAtMostOneOnEachAxis)
{
    for (std::int16_t x = 0; x <= 10; ++x) {
        for (std::int16_t y = 0; y <= 10; ++y) {
            for (int d = 1; d <= 8; ++d) {
                const Point p = step({x, y}, d);
                ASSERT_TRUE(p.x >= 0 && p.x <= 10 && p.y >= 0 && p.y <= 10);
                ASSERT_LE(std::abs(p.x - x), 1);
                ASSERT_LE(std::abs(p.y - y), 1);
            }
        }
    }
}

TEST(Step, ADirectionOutsideOneToEightChangesNothing)
{
    for (const int d : {0, 9, -1, 100})
        EXPECT_EQ(step({3, 7}, d), (Point{3, 7})) << "direction " << d;
}

TEST(DirectionFromDraw, EachEighthOfTheUnitIntervalGivesOneDirection)
{
    EXPECT_EQ(directionFromDraw(0.0), 1);
    EXPECT_EQ(directionFromDraw(0.124999), 1);
    EXPECT_EQ(directionFromDraw(0.125), 2);
    EXPECT_EQ(directionFromDraw(0.5), 5);
    EXPECT_EQ(directionFromDraw(0.874999), 7);
    EXPECT_EQ(directionFromDraw(0.875), 8);
    EXPECT_EQ(directionFromDraw(std::nextafter(1.0, 0.0)), 8);
}
