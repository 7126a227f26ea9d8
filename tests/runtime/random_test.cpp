#include "clock.h"
#include "random.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

using perne::MixingRandom;

namespace {
int direction(double r)
{
    return static_cast<int>(std::floor(r * 8)) + 1;
}
} // namespace

// Both timers reseed from the same clock reading; their draws must still be independent.
TEST(MixingRandom, TwoReseedsFromOneReadingDoNotRepeatTheDraw)
{
    MixingRandom g(1);
    int same = 0;
    constexpr int kPairs = 8000;
    for (int i = 0; i < kPairs; ++i) {
        const float reading = 36000.0f + 0.2f * static_cast<float>(i);
        g.reseed(reading);
        const double a = g.next();
        g.reseed(reading);
        const double b = g.next();
        ASSERT_NE(a, b);
        same += direction(a) == direction(b);
    }
    // Independent directions agree one time in eight: 1000 expected, sd about 30.
    EXPECT_NEAR(same, kPairs / 8, 150);
}

TEST(MixingRandom, ReseedMixesIntoTheStateInsteadOfRestartingFromTheValue)
{
    MixingRandom a(1), b(2);
    a.reseed(100.0f);
    b.reseed(100.0f);
    EXPECT_NE(a.next(), b.next());
}

// Chi-square over the eight directions with a fixed seed, reseeded as the ticks do.
TEST(MixingRandom, DrawsAreInTheUnitIntervalAndTheEightDirectionsUniform)
{
    MixingRandom g(20261206);
    std::array<int, 8> counts{};
    constexpr int kDraws = 80000;
    for (int i = 0; i < kDraws; ++i) {
        g.reseed(36000.0f + 0.2f * static_cast<float>(i / 2));
        const double r = g.next();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
        ++counts[static_cast<std::size_t>(direction(r) - 1)];
    }
    double chiSquare = 0.0;
    for (const int c : counts) {
        const double expected = kDraws / 8.0;
        chiSquare += (c - expected) * (c - expected) / expected;
    }
    EXPECT_LT(chiSquare, 30.0); // 7 degrees of freedom: p < 0.0002
}

TEST(MixingRandom, TheSameSeedGivesTheSameSequence)
{
    MixingRandom a(5), b(5);
    for (int i = 0; i < 10; ++i) {
        a.reseed(1.0f);
        b.reseed(1.0f);
        ASSERT_EQ(a.next(), b.next());
    }
}

TEST(SystemClock, ReadsSecondsSinceMidnight)
{
    perne::SystemClock clock;
    const float t = clock.secondsSinceMidnight();
    EXPECT_GE(t, 0.0f);
    EXPECT_LE(t, 86401.0f);
}
