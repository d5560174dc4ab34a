// Ring buffer throughput against a plain memcpy of the same bytes: one 27-frame read written
// in, taken out in the encoder thread's 4096-byte pieces.
#include "app/rip/SectorRing.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>

namespace
{

constexpr size_t kRead = 27 * 2352;
constexpr size_t kPiece = 4096;

void BM_RingWriteRead(benchmark::State& state)
{
    SectorRing ring;
    ringInit(&ring, static_cast<int32_t>(kRead * 12 + 17));
    std::vector<uint8_t> in(kRead, 0x5A), out(kPiece);
    for (auto _ : state) {
        ringWrite(&ring, in.data(), kRead);
        while (ringRead(&ring, out.data(), kPiece) > 0) {
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kRead));
    ringRelease(&ring);
}

void BM_Memcpy(benchmark::State& state)
{
    std::vector<uint8_t> in(kRead, 0x5A), middle(kRead * 12 + 17), out(kPiece);
    size_t at = 0;
    for (auto _ : state) {
        // The same two copies, without the ring's lock and bookkeeping.
        if (at + kRead > middle.size()) at = 0;
        std::memcpy(middle.data() + at, in.data(), kRead);
        for (size_t off = 0; off < kRead; off += kPiece)
            std::memcpy(out.data(), middle.data() + at + off, std::min(kPiece, kRead - off));
        at += kRead;
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kRead));
}

} // namespace

BENCHMARK(BM_RingWriteRead);
BENCHMARK(BM_Memcpy);
BENCHMARK_MAIN();
