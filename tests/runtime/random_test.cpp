#include "random.h"

#include <gtest/gtest.h>

#include <unordered_set>
#include <vector>

namespace {

std::vector<double> draws(perne::MixingRandom random, float reading, int count)
{
    std::vector<double> out;
    for (int i = 0; i < count; ++i) {
        random.reseed(reading);
        out.push_back(random.next());
    }
    return out;
}

} // namespace

// The reading feeds the running state: the very next draw depends on it (midnight's 0 too),
// the same state and reading give the same draws, and reseeding from one reading over and
// over never starts a sequence again: a hundred thousand draws, none repeated.
TEST(MixingRandom, TheReadingPerturbsTheStateAndNeverRestartsASequence)
{
    const perne::MixingRandom seeded(20261207);
    EXPECT_EQ(draws(seeded, 36000.2f, 5), draws(seeded, 36000.2f, 5));
    EXPECT_NE(draws(seeded, 36000.2f, 1), draws(seeded, 36000.4f, 1));
    perne::MixingRandom unseeded = seeded;
    EXPECT_NE(draws(seeded, 0.0f, 1), std::vector<double>{unseeded.next()});
    // Another state with the same readings goes its own way.
    EXPECT_NE(draws(perne::MixingRandom(20261208), 36000.2f, 5), draws(seeded, 36000.2f, 5));

    const auto many = draws(seeded, 43200.0f, 100000);
    EXPECT_EQ(std::unordered_set<double>(many.begin(), many.end()).size(), many.size());
}
