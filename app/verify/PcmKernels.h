// The inner loops of the track checksums (CRC32, AccurateRip sums, dropping null words), each
// in a portable form and in forms for x86 CPUs with carry-less multiply and wide vectors. All
// forms give the same results; the fastest one the CPU runs is picked at run time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace verify::pcm
{

enum class Path {
    Portable,    // zlib and plain loops
    Avx2,        // PCLMULQDQ CRC folding, AVX2 sums, SSSE3 shuffles
    Avx2Vpclmul, // the same, folding 256 bits at a time with VPCLMULQDQ
    Avx512,      // VPCLMULQDQ folding, AVX-512 sums, VBMI2 compress
};

// Whether this CPU (and build) can run the path; Portable always can.
bool Supported(Path path);
// The fastest supported path.
Path Fastest();

struct ArSums {
    uint32_t low = 0;  // sum of the low 32 bits of sample * multiplier
    uint32_t high = 0; // sum of the high 32 bits
};

struct Kernels {
    // zlib's crc32(): the CRC-32 of gzip, continuing from `crc`.
    uint32_t (*crc32)(uint32_t crc, const uint8_t* bytes, size_t count);
    // Adds sample * multiplier for `samples` little-endian 32-bit samples, the first one
    // multiplied by `multiplier`; the caller keeps every multiplier below 2^32.
    void (*accurateRip)(const uint8_t* bytes, size_t samples, uint32_t multiplier, ArSums& sums);
    // Copies the 16-bit words that are not zero to `out`, which has room for `words` words
    // plus 64 bytes; returns the bytes written.
    size_t (*dropNullWords)(const uint8_t* bytes, size_t words, uint8_t* out);
};

// The kernels of a path; a path the CPU does not support gives the portable ones.
const Kernels& KernelsFor(Path path);

} // namespace verify::pcm
