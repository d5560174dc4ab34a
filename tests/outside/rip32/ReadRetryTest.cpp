#include "ReadRetry.h"

#include "Veltrarip32.h"

#include <gtest/gtest.h>

using rip32::ReadRetry;

TEST(ReadRetry, MediumErrorsAskForTheReReadsThenFailTheRequest)
{
    ReadRetry retry;
    EXPECT_EQ(retry.Failed(100, 27, DRIVER_OP_ERROR), 4u);
    EXPECT_EQ(retry.Failed(100, 27, DRIVER_OP_MMC_SENSE_DATA), 4u);
    EXPECT_EQ(retry.Failed(100, 27, DRIVER_OP_ERROR), 4u);
    EXPECT_EQ(retry.Failed(100, 27, DRIVER_OP_ERROR), 2u);
    // Another request, or a success between, counts afresh.
    EXPECT_EQ(retry.Failed(100, 27, DRIVER_OP_ERROR), 4u);
    EXPECT_EQ(retry.Failed(127, 27, DRIVER_OP_ERROR), 4u);
    EXPECT_EQ(retry.Failed(127, 27, DRIVER_OP_ERROR), 4u);
    retry.Succeeded();
    EXPECT_EQ(retry.Failed(127, 27, DRIVER_OP_ERROR), 4u);
    EXPECT_EQ(retry.Failed(127, 27, DRIVER_OP_ERROR), 4u);
    EXPECT_EQ(retry.Failed(127, 27, DRIVER_OP_ERROR), 4u);
    EXPECT_EQ(retry.Failed(127, 27, DRIVER_OP_ERROR), 2u);
}

TEST(ReadRetry, RefusedRequestsFailAtOnce)
{
    ReadRetry retry;
    for (auto result : {DRIVER_OP_UNSUPPORTED, DRIVER_OP_UNINIT, DRIVER_OP_NOT_PERMITTED,
                        DRIVER_OP_BAD_PARAMETER, DRIVER_OP_BAD_POINTER, DRIVER_OP_NO_DRIVER})
        EXPECT_EQ(retry.Failed(0, 27, result), 2u) << result;
}
