#include "FaultPlan.h"

#include <gtest/gtest.h>

using rip32::FaultPlan;

TEST(FaultPlan, RetryFaultReturnsFourForItsTriesThenReadsCleanly)
{
    FaultPlan plan;
    plan.Parse("retry 100 2\n");
    EXPECT_EQ(plan.Attempt(0, 27).status, 1u);  // does not touch frame 100
    EXPECT_EQ(plan.Attempt(81, 27).status, 4u); // 81..107
    EXPECT_EQ(plan.Attempt(99, 2).status, 4u);
    EXPECT_EQ(plan.Attempt(81, 27).status, 1u);
}

TEST(FaultPlan, AlwaysRetryNeverRecoversAndErrorsKeepTheirStatus)
{
    FaultPlan plan;
    plan.Parse("retry 10-20 always\nerror 500 7 # unreadable\n");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(plan.Attempt(15, 1).status, 4u);
    EXPECT_EQ(plan.Attempt(490, 27).status, 7u);
    EXPECT_EQ(plan.Attempt(490, 27).status, 7u);
}

TEST(FaultPlan, ShiftIsReportedWithItsBytesAndTries)
{
    FaultPlan plan;
    plan.Parse("shift 54 -8 1\nshift * 12\n");
    auto first = plan.Attempt(54, 27);
    EXPECT_EQ(first.status, 1u);
    EXPECT_EQ(first.shift, -8);
    EXPECT_EQ(plan.Attempt(54, 27).shift, 12); // the one-try shift is used up
    EXPECT_EQ(plan.Attempt(9999, 1).shift, 12);
}

TEST(FaultPlan, DelaysAddUpAndLastForEver)
{
    FaultPlan plan;
    plan.Parse("delay * 5\ndelay 10-20 7\n");
    EXPECT_EQ(plan.Attempt(0, 1).delayMs, 5);
    EXPECT_EQ(plan.Attempt(20, 1).delayMs, 12);
    EXPECT_EQ(plan.Attempt(20, 1).status, 1u);
}

TEST(FaultPlan, MalformedLinesAreSkipped)
{
    FaultPlan plan;
    plan.Parse("retry\nretry x 3\nerror 5 1\nerror 5 4\nshift 5 0\nshift 5 99999\n"
               "bogus 1 2\nretry 9-3 1\nretry 5 -1\ndelay 1 0\ndelay 1 x\n");
    EXPECT_TRUE(plan.empty());
}

TEST(FaultPlan, TheSimulatedDrivesKeywords)
{
    FaultPlan plan;
    plan.Parse("offset -1164\noverread\ndrive PIONEER BD-RW   BDR-X12  \neject\nbad 7\n"
               "flaky 3-4 2 c2\n");
    EXPECT_EQ(plan.driveOffset(), -1164);
    EXPECT_TRUE(plan.overread());
    EXPECT_EQ(plan.vendor(), "PIONEER");
    EXPECT_EQ(plan.model(), "BD-RW   BDR-X12"); // the rest of the line, inner spaces kept
    EXPECT_TRUE(plan.TakeEject());
    EXPECT_FALSE(plan.TakeEject());            // the fault goes with the first table of contents
    EXPECT_EQ(plan.Attempt(0, 10).status, 1u); // wrong data is no failed read

    FaultPlan bad;
    bad.Parse("offset 3000\noffset x\noverread now\ndrive\ndrive ONLYVENDOR\nbad\nbad 1 2\n"
              "flaky 1\nflaky 1 0\nflaky 1 589\nflaky 1 3 c3\neject 1\n");
    EXPECT_TRUE(bad.empty());
}

TEST(FaultPlan, FlakyFramesDifferOnEveryReadBadOnesNever)
{
    FaultPlan plan;
    plan.Parse("flaky 1 5 c2\nbad 2\n");
    auto read = [&](uint64_t readNumber, std::vector<uint8_t>* c2) {
        std::vector<uint8_t> frames(3 * 2352, 0x11);
        if (c2) c2->assign(3 * 294, 0);
        plan.Corrupt(0, 3, frames.data(), 42, readNumber, c2 ? c2->data() : nullptr);
        return frames;
    };
    std::vector<uint8_t> c2;
    const auto a = read(0, &c2), b = read(1, nullptr), again = read(0, nullptr);
    EXPECT_EQ(a, again); // the same image and read count repeat
    auto frame = [](const std::vector<uint8_t>& v, int f) {
        return std::vector<uint8_t>(v.begin() + f * 2352, v.begin() + (f + 1) * 2352);
    };
    EXPECT_EQ(frame(a, 0), std::vector<uint8_t>(2352, 0x11));
    EXPECT_NE(frame(a, 1), frame(b, 1));
    EXPECT_EQ(frame(a, 2), frame(b, 2));
    EXPECT_NE(frame(a, 2), std::vector<uint8_t>(2352, 0x11));
    int changedSamples = 0;
    for (int i = 0; i < 588; ++i) {
        bool changed = false;
        for (int k = 0; k < 4; ++k) {
            const size_t at = 2352 + i * 4 + k;
            const bool flagged = c2[at / 8] & (0x80 >> (at % 8));
            EXPECT_EQ(flagged, a[at] != 0x11) << at;
            changed |= a[at] != 0x11;
        }
        changedSamples += changed;
    }
    EXPECT_EQ(changedSamples, 5);
    // bad frames carry no C2 flags: the drive does not know
    EXPECT_EQ(std::count(c2.begin() + 2 * 294, c2.end(), 0), 294);
}
