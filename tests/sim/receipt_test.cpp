// A run's receipt walks the run again: runs driven period by period through the headless
// driver, ended by the time limit or by Stop, replay from their receipts alone to the very
// count and seconds they ended with; receipts edited by hand are refused or walk elsewhere.

#include "headless.h"
#include "receipt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

using namespace perne;

namespace {

struct Ended
{
    RunResult result;
    RunReceipt receipt;
};

// A run set up and started on a fresh headless simulation, driven one period at a time,
// stopped after `stopAfter` periods (never, when negative).
Ended drive(std::uint64_t seed, double start, RunState mode, Point momotaro, Point dog,
            long long stopAfter = -1)
{
    HeadlessSimulation sim(seed, start);
    EXPECT_TRUE(sim.setUpAndStart(mode, momotaro, dog));
    sim.driver.runThenStop(stopAfter);
    EXPECT_FALSE(sim.controller.running());
    const auto result = sim.controller.finishedRun();
    const auto receipt = sim.controller.lastReceipt();
    EXPECT_TRUE(result && receipt);
    return {result.value_or(RunResult{}), receipt.value_or(RunReceipt{})};
}

void expectReplays(const Ended &run)
{
    const auto again = walkAgain(run.receipt);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->meetings, run.result.meetings);
    EXPECT_EQ(again->seconds, run.result.seconds);
    EXPECT_EQ(again->mode, run.result.mode);
    EXPECT_EQ(again->momotaroStart, run.result.momotaroStart);
    EXPECT_EQ(again->dogStart, run.result.dogStart);
}

} // namespace

TEST(Receipt, RunsEndedByTheTimeLimitOrByStopWalkAgainToTheSameCountAndSeconds)
{
    int withMeetings = 0;
    for (std::uint64_t seed = 1; seed <= 6; ++seed) {
        for (const RunState mode : {RunState::BothWalking, RunState::DogWalking}) {
            const Ended full = drive(seed, 36000.25, mode, {4, 4}, {5, 5});
            EXPECT_EQ(full.receipt.lastPeriod, 901);
            EXPECT_EQ(full.result.seconds, 180);
            EXPECT_EQ(full.receipt.mode, mode);
            EXPECT_EQ(full.receipt.startReading, 36000.25f);
            withMeetings += full.result.meetings > 0;
            expectReplays(full);

            const Ended stopped = drive(seed * 7, 50000.0 + seed, mode, {0, 10}, {1, 9}, 137);
            EXPECT_EQ(stopped.receipt.lastPeriod, 137);
            EXPECT_EQ(stopped.result.seconds, 27);
            withMeetings += stopped.result.meetings > 0;
            expectReplays(stopped);
        }
    }
    EXPECT_GE(withMeetings, 16) << "the runs should meet, or their counts prove little";
}

TEST(Receipt, ARunStoppedAtOnceOrAcrossMidnightWalksAgainToo)
{
    // Started 30 s before midnight: the clock wraps to 0 in the middle of the run.
    const Ended midnight = drive(99, 86370.0, RunState::BothWalking, {3, 3}, {4, 4});
    EXPECT_EQ(midnight.receipt.lastPeriod, 901);
    EXPECT_GT(midnight.result.meetings, 0);
    expectReplays(midnight);
    const Ended midnightStopped = drive(98, 86399.5, RunState::DogWalking, {3, 3}, {4, 4}, 400);
    expectReplays(midnightStopped);

    const Ended atOnce = drive(5, 36000.0, RunState::DogWalking, {2, 2}, {8, 8}, 0);
    EXPECT_EQ(atOnce.receipt.lastPeriod, 0);
    EXPECT_EQ(atOnce.result.meetings, 0);
    expectReplays(atOnce);
}

TEST(Receipt, OnlyAFinishedRunHasAReceiptAndANewSetupClearsIt)
{
    HeadlessSimulation sim(3);
    EXPECT_FALSE(sim.controller.lastReceipt());
    ASSERT_TRUE(sim.setUpAndStart(RunState::BothWalking, {4, 4}, {6, 4}));
    sim.driver.advance();
    EXPECT_FALSE(sim.controller.lastReceipt()) << "the run still goes on";
    sim.driver.runUntilStopped();
    const auto first = sim.controller.lastReceipt();
    ASSERT_TRUE(first);
    // The generator moves on through the run: the next run's receipt starts elsewhere.
    ASSERT_TRUE(sim.setUpAndStart(RunState::BothWalking, {4, 4}, {6, 4}));
    EXPECT_FALSE(sim.controller.lastReceipt());
    sim.driver.runUntilStopped();
    const auto second = sim.controller.lastReceipt();
    ASSERT_TRUE(second);
    EXPECT_NE(first->random, second->random);
    EXPECT_EQ(walkAgain(*second)->meetings, sim.controller.finishedRun()->meetings);
}

TEST(Receipt, EditedReceiptsAreRefusedOrWalkToAnotherCount)
{
    const Ended run = drive(11, 40000.5, RunState::BothWalking, {4, 4}, {5, 5});
    ASSERT_GT(run.result.meetings, 0);

    // Other random words walk another run: over a few edits, the count moves.
    int differ = 0;
    for (std::uint64_t bit = 0; bit < 8; ++bit) {
        RunReceipt edited = run.receipt;
        edited.random[bit % 4] ^= std::uint64_t{1} << (bit * 7);
        differ += walkAgain(edited)->meetings != run.result.meetings;
    }
    EXPECT_GE(differ, 5);

    const auto refused = [&](auto edit, ReceiptFault fault) {
        RunReceipt edited = run.receipt;
        edit(edited);
        EXPECT_EQ(receiptFault(edited), fault);
        EXPECT_FALSE(walkAgain(edited));
    };
    refused([](RunReceipt &r) { r.lastPeriod = 902; }, ReceiptFault::Period);
    refused([](RunReceipt &r) { r.lastPeriod = -1; }, ReceiptFault::Period);
    refused([](RunReceipt &r) { r.dogStart.x = 11; }, ReceiptFault::Point);
    refused([](RunReceipt &r) { r.momotaroStart.y = -1; }, ReceiptFault::Point);
    refused([](RunReceipt &r) { r.mode = RunState::BothMet; }, ReceiptFault::Mode);
    refused([](RunReceipt &r) { r.mode = RunState::Idle; }, ReceiptFault::Mode);
    refused([](RunReceipt &r) { r.startReading = -0.5f; }, ReceiptFault::Reading);
    refused([](RunReceipt &r) { r.startReading = 86400.5f; }, ReceiptFault::Reading);
    refused([](RunReceipt &r) { r.startReading = std::numeric_limits<float>::quiet_NaN(); },
            ReceiptFault::Reading);
    refused([](RunReceipt &r) { r.random = {}; }, ReceiptFault::Random);

    // A shorter run than the one reported is a different run: fewer seconds.
    RunReceipt shorter = run.receipt;
    shorter.lastPeriod = 450;
    EXPECT_EQ(walkAgain(shorter)->seconds, 90);
}

TEST(Receipt, ItsJsonCarriesEveryFieldAndAReadingThatReadsBackTheSame)
{
    RunReceipt receipt{RunState::DogWalking,
                       {4, 4},
                       {6, 4},
                       36000.1992f,
                       {0x0123456789abcdefULL, 1, 0xffffffffffffffffULL, 42},
                       777};
    const std::string json = receiptJson(receipt);
    EXPECT_EQ(json, "{\"mode\":\"dog\",\"momotaro\":[4,4],\"dog\":[6,4],\"startReading\":"
                    "36000.1992,\"random\":[\"0123456789abcdef\",\"0000000000000001\","
                    "\"ffffffffffffffff\",\"000000000000002a\"],\"lastPeriod\":777}");
    EXPECT_EQ(std::strtof("36000.1992", nullptr), 36000.1992f);
    receipt.startReading = 86399.9921875f;
    receipt.mode = RunState::BothWalking;
    EXPECT_NE(receiptJson(receipt).find("\"mode\":\"both\""), std::string::npos);
    EXPECT_NE(receiptJson(receipt).find("\"startReading\":86399.9922,"), std::string::npos);
    EXPECT_EQ(std::strtof("86399.9922", nullptr), 86399.9921875f);
}
