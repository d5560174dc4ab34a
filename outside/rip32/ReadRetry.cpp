#include "ReadRetry.h"

#include "Veltrarip32.h"

namespace rip32
{

uint32_t ReadRetry::Failed(int64_t start, uint32_t count, driver_return_code_t result)
{
    // Only what a drive can get right on a second pass is worth a re-read; a request the
    // driver refuses stays refused.
    if (result != DRIVER_OP_ERROR && result != DRIVER_OP_MMC_SENSE_DATA) return CD_STATUS_ERROR;
    if (start != start_ || count != count_) {
        start_ = start;
        count_ = count;
        failures_ = 0;
    }
    ++failures_;
    if (failures_ < kAttempts) return CD_STATUS_RETRY;
    failures_ = 0;
    return CD_STATUS_ERROR;
}

} // namespace rip32
