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
