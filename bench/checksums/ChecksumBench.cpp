// Throughput of the track checksums (AccurateRip v1/v2, CRC32, CRC32 without null samples) fed
// in the encoder thread's 4096-byte pieces: the present code on each CPU path against the
// byte-loop-and-zlib code it replaced, on the image generator's pattern audio (a null word in
// most pieces) and on random audio.
#include "app/verify/PcmChecksums.h"
#include "discimage/DiscImage.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <random>
#include <vector>

namespace
{

constexpr size_t kPiece = 4096;

// The code before: a zlib pass over all bytes, a byte loop finding null words, one sample at
// a time with its bounds.
class Before
{
public:
    explicit Before(uint64_t samples) : to_(static_cast<int64_t>(samples)) {}

    void Add(const uint8_t* bytes, size_t count)
    {
        crc_ = static_cast<uint32_t>(::crc32(crc_, bytes, static_cast<uInt>(count)));
        const size_t whole = count & ~size_t{3};
        AddWords(bytes, whole);
        for (size_t i = 0; i < whole; i += 4)
            AddSample(uint32_t{bytes[i]} | uint32_t{bytes[i + 1]} << 8 |
                      uint32_t{bytes[i + 2]} << 16 | uint32_t{bytes[i + 3]} << 24);
    }
    uint32_t Sum() const { return v1_ ^ v2_ ^ crc_ ^ crcNoNull_; }

private:
    void AddSample(uint32_t sample)
    {
        const int64_t multiplier = static_cast<int64_t>(++seen_);
        if (multiplier < from_ || multiplier > to_) return;
        const uint64_t product = uint64_t{sample} * static_cast<uint64_t>(multiplier);
        v1_ += static_cast<uint32_t>(product);
        v2_ += static_cast<uint32_t>(product) + static_cast<uint32_t>(product >> 32);
    }
    void AddWords(const uint8_t* bytes, size_t count)
    {
        size_t run = 0;
        for (size_t i = 0; i + 1 < count; i += 2) {
            if (bytes[i] == 0 && bytes[i + 1] == 0) {
                if (i > run)
                    crcNoNull_ = static_cast<uint32_t>(
                        ::crc32(crcNoNull_, bytes + run, static_cast<uInt>(i - run)));
                run = i + 2;
            }
        }
        if (count > run)
            crcNoNull_ = static_cast<uint32_t>(
                ::crc32(crcNoNull_, bytes + run, static_cast<uInt>(count - run)));
    }

    int64_t from_ = 1, to_;
    uint64_t seen_ = 0;
    uint32_t v1_ = 0, v2_ = 0, crc_ = 0, crcNoNull_ = 0;
};

// About 95 seconds of audio, more than the last-level cache holds.
constexpr uint32_t kFrames = 7200;

const std::vector<uint8_t>& Audio(int kind)
{
    static const std::vector<uint8_t> pattern = discimage::PatternBytes(0, kFrames);
    static const std::vector<uint8_t> random = [] {
        std::vector<uint8_t> bytes(size_t{kFrames} * 2352);
        std::mt19937 rng(16);
        for (auto& b : bytes)
            b = static_cast<uint8_t>(rng());
        return bytes;
    }();
    return kind == 0 ? pattern : random;
}

template <typename Sums> void Feed(const std::vector<uint8_t>& pcm, Sums& sums)
{
    for (size_t pos = 0; pos < pcm.size(); pos += kPiece)
        sums.Add(pcm.data() + pos, std::min(kPiece, pcm.size() - pos));
}

// range(0): 0 pattern audio, 1 random audio.
void BM_Before(benchmark::State& state)
{
    const auto& pcm = Audio(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Before sums(pcm.size() / 4);
        Feed(pcm, sums);
        benchmark::DoNotOptimize(sums.Sum());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * pcm.size()));
}

// range(1): the CPU path (0 portable, 1 AVX2, 2 AVX2 with VPCLMULQDQ, 3 AVX-512).
void BM_After(benchmark::State& state)
{
    const auto& pcm = Audio(static_cast<int>(state.range(0)));
    const auto path = static_cast<verify::pcm::Path>(state.range(1));
    if (!verify::pcm::Supported(path)) {
        state.SkipWithError("path not supported by this CPU");
        return;
    }
    for (auto _ : state) {
        verify::PcmChecksums sums(pcm.size() / 4, false, false, path);
        Feed(pcm, sums);
        benchmark::DoNotOptimize(sums.crc32() ^ sums.crc32WithoutNullSamples() ^
                                 sums.accurateRipV1() ^ sums.accurateRipV2());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * pcm.size()));
}

} // namespace

BENCHMARK(BM_Before)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_After)->ArgsProduct({{0, 1}, {0, 1, 2, 3}})->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
