// The status of a failed read on a real drive: a medium or transport error asks the reader for
// its overlapped re-reads (status 4), and the same request fails for good only once the
// re-reads the reader is allowed are spent.
#pragma once

#include <cdio/cdio.h>
#include <cstdint>

namespace rip32
{

class ReadRetry
{
public:
    // The plain read and the reader's three overlapped re-reads.
    static constexpr unsigned kAttempts = 4;

    // Status for a read of [start, start + count) that libcdio answered with `result`.
    uint32_t Failed(int64_t start, uint32_t count, driver_return_code_t result);
    // A read succeeded: the next failure starts a new count.
    void Succeeded() { failures_ = 0; }

private:
    int64_t start_ = -1;
    uint32_t count_ = 0;
    unsigned failures_ = 0;
};

} // namespace rip32
