#include "PcmKernels.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VELTRA_PCM_X86 1
// GCC 12 takes the AVX-512 intrinsics' deliberately undefined lanes for uninitialised ones.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#endif

namespace verify::pcm
{

namespace
{

// zlib takes lengths as unsigned int.
uint32_t CrcZlib(uint32_t crc, const uint8_t* bytes, size_t count)
{
    while (count > 0) {
        const uInt n = static_cast<uInt>(std::min<size_t>(count, 1u << 30));
        crc = static_cast<uint32_t>(::crc32(crc, bytes, n));
        bytes += n;
        count -= n;
    }
    return crc;
}

void ArPortable(const uint8_t* bytes, size_t samples, uint32_t multiplier, ArSums& sums)
{
    uint32_t low = 0, high = 0;
    for (size_t i = 0; i < samples; ++i, ++multiplier) {
        const uint8_t* b = bytes + 4 * i;
        const uint32_t sample =
            uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
        const uint64_t product = uint64_t{sample} * multiplier;
        low += static_cast<uint32_t>(product);
        high += static_cast<uint32_t>(product >> 32);
    }
    sums.low += low;
    sums.high += high;
}

// Four words at a time while none is null; branch-free around null words: every word is
// written, only the kept ones advance the output.
size_t DropPortable(const uint8_t* bytes, size_t words, uint8_t* out)
{
    constexpr uint64_t kLow15 = 0x7fff7fff7fff7fffu;
    size_t n = 0, i = 0;
    for (; i + 4 <= words; i += 4) {
        uint64_t x;
        std::memcpy(&x, bytes + 2 * i, 8);
        // The top bit of each 16-bit lane that is zero.
        if (~(((x & kLow15) + kLow15) | x | kLow15) == 0) {
            std::memcpy(out + n, &x, 8);
            n += 8;
            continue;
        }
        for (size_t w = i; w < i + 4; ++w) {
            const uint8_t a = bytes[2 * w], b = bytes[2 * w + 1];
            out[n] = a;
            out[n + 1] = b;
            n += (a | b) != 0 ? 2 : 0;
        }
    }
    for (; i < words; ++i) {
        const uint8_t a = bytes[2 * i], b = bytes[2 * i + 1];
        out[n] = a;
        out[n + 1] = b;
        n += (a | b) != 0 ? 2 : 0;
    }
    return n;
}

constexpr Kernels kPortable{CrcZlib, ArPortable, DropPortable};

#ifdef VELTRA_PCM_X86

#define VELTRA_AVX2 __attribute__((target("avx2,pclmul,popcnt,sse4.1,ssse3")))
#define VELTRA_AVX2_VPCLMUL __attribute__((target("avx2,vpclmulqdq,pclmul,popcnt,sse4.1,ssse3")))
#define VELTRA_AVX512                                                                              \
    __attribute__((                                                                                \
        target("avx512f,avx512bw,avx512vbmi2,vpclmulqdq,avx2,pclmul,popcnt,sse4.1,ssse3")))

// Folding constants of the reflected polynomial 0xEDB88320: x^(d+32) and x^(d-32) mod P,
// bit-reflected, for a fold over d bits (low and high quadword of each pair).
constexpr int64_t kFold128Lo = 0x1751997d0, kFold128Hi = 0x0ccaa009e;
constexpr int64_t kFold256Lo = 0x0f1da05aa, kFold256Hi = 0x15a546366;
constexpr int64_t kFold384Lo = 0x03db1ecdc, kFold384Hi = 0x174359406;
constexpr int64_t kFold512Lo = 0x154442bd4, kFold512Hi = 0x1c6e41596;
constexpr int64_t kFold1024Lo = 0x1e88ef372, kFold1024Hi = 0x14a7fe880;
constexpr int64_t kFold2048Lo = 0x11542778a, kFold2048Hi = 0x1322d1430;
constexpr int64_t kFold64 = 0x163cd6124;
constexpr int64_t kPolyReflected = 0x1db710641, kBarrettMu = 0x1f7011641;

VELTRA_AVX2 inline __m128i Load(const uint8_t* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

VELTRA_AVX2 inline __m128i Fold(__m128i x, __m128i k, __m128i next)
{
    return _mm_xor_si128(
        _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), next);
}

// Folds the 16-byte blocks after `x` (len a multiple of 16) into it, then reduces to the
// 32-bit CRC state.
VELTRA_AVX2 uint32_t FoldAndReduce(__m128i x, const uint8_t* buf, size_t len)
{
    const __m128i k128 = _mm_set_epi64x(kFold128Hi, kFold128Lo);
    for (; len >= 16; buf += 16, len -= 16)
        x = Fold(x, k128, Load(buf));

    // 128 bits to 64, then Barrett reduction to 32.
    const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
    x = _mm_xor_si128(_mm_srli_si128(x, 8), _mm_clmulepi64_si128(x, k128, 0x10));
    const __m128i k64 = _mm_set_epi64x(0, kFold64);
    x = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x, low32), k64, 0x00),
                      _mm_srli_si128(x, 4));
    const __m128i poly = _mm_set_epi64x(kBarrettMu, kPolyReflected);
    __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x, low32), poly, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), poly, 0x00);
    return static_cast<uint32_t>(_mm_extract_epi32(_mm_xor_si128(x, t), 1));
}

// At least 64 bytes, a multiple of 16; `state` is the inverted CRC.
VELTRA_AVX2 uint32_t FoldPclmul(uint32_t state, const uint8_t* buf, size_t len)
{
    __m128i x0 = _mm_xor_si128(Load(buf), _mm_cvtsi32_si128(static_cast<int>(state)));
    __m128i x1 = Load(buf + 16), x2 = Load(buf + 32), x3 = Load(buf + 48);
    buf += 64;
    len -= 64;
    const __m128i k512 = _mm_set_epi64x(kFold512Hi, kFold512Lo);
    for (; len >= 64; buf += 64, len -= 64) {
        x0 = Fold(x0, k512, Load(buf));
        x1 = Fold(x1, k512, Load(buf + 16));
        x2 = Fold(x2, k512, Load(buf + 32));
        x3 = Fold(x3, k512, Load(buf + 48));
    }
    const __m128i k128 = _mm_set_epi64x(kFold128Hi, kFold128Lo);
    __m128i x = Fold(Fold(Fold(x0, k128, x1), k128, x2), k128, x3);
    return FoldAndReduce(x, buf, len);
}

VELTRA_AVX2 uint32_t CrcPclmul(uint32_t crc, const uint8_t* bytes, size_t count)
{
    if (count < 64) return CrcZlib(crc, bytes, count);
    const size_t body = count & ~size_t{15};
    crc = ~FoldPclmul(~crc, bytes, body);
    return CrcZlib(crc, bytes + body, count - body);
}

VELTRA_AVX2_VPCLMUL inline __m256i Load256(const uint8_t* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

VELTRA_AVX2_VPCLMUL inline __m256i Fold(__m256i x, __m256i k, __m256i next)
{
    return _mm256_xor_si256(_mm256_xor_si256(_mm256_clmulepi64_epi128(x, k, 0x00),
                                             _mm256_clmulepi64_epi128(x, k, 0x11)),
                            next);
}

// Four 256-bit lanes for CPUs with VPCLMULQDQ but not AVX-512.
VELTRA_AVX2_VPCLMUL uint32_t CrcVpclmul256(uint32_t crc, const uint8_t* bytes, size_t count)
{
    if (count < 128) return CrcPclmul(crc, bytes, count);
    const size_t body = count & ~size_t{15};
    const uint8_t* buf = bytes;
    size_t len = body;
    __m256i x0 = _mm256_xor_si256(
        Load256(buf), _mm256_zextsi128_si256(_mm_cvtsi32_si128(static_cast<int>(~crc))));
    __m256i x1 = Load256(buf + 32), x2 = Load256(buf + 64), x3 = Load256(buf + 96);
    buf += 128;
    len -= 128;
    const __m256i k1024 = _mm256_broadcastsi128_si256(_mm_set_epi64x(kFold1024Hi, kFold1024Lo));
    for (; len >= 128; buf += 128, len -= 128) {
        x0 = Fold(x0, k1024, Load256(buf));
        x1 = Fold(x1, k1024, Load256(buf + 32));
        x2 = Fold(x2, k1024, Load256(buf + 64));
        x3 = Fold(x3, k1024, Load256(buf + 96));
    }
    const __m256i k256 = _mm256_broadcastsi128_si256(_mm_set_epi64x(kFold256Hi, kFold256Lo));
    __m256i x = Fold(Fold(Fold(x0, k256, x1), k256, x2), k256, x3);
    for (; len >= 32; buf += 32, len -= 32)
        x = Fold(x, k256, Load256(buf));
    const __m128i r = Fold(_mm256_castsi256_si128(x), _mm_set_epi64x(kFold128Hi, kFold128Lo),
                           _mm256_extracti128_si256(x, 1));
    crc = ~FoldAndReduce(r, buf, len);
    return CrcZlib(crc, bytes + body, count - body);
}

VELTRA_AVX512 inline __m512i Load512(const uint8_t* p)
{
    return _mm512_loadu_si512(p);
}

VELTRA_AVX512 inline __m512i Fold(__m512i x, __m512i k, __m512i next)
{
    return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(x, k, 0x00),
                                     _mm512_clmulepi64_epi128(x, k, 0x11), next, 0x96);
}

VELTRA_AVX512 uint32_t CrcVpclmul(uint32_t crc, const uint8_t* bytes, size_t count)
{
    if (count < 256) return CrcPclmul(crc, bytes, count);
    const size_t body = count & ~size_t{15};
    const uint8_t* buf = bytes;
    size_t len = body;
    __m512i x0 = _mm512_xor_si512(
        Load512(buf),
        _mm512_inserti32x4(_mm512_setzero_si512(), _mm_cvtsi32_si128(static_cast<int>(~crc)), 0));
    __m512i x1 = Load512(buf + 64), x2 = Load512(buf + 128), x3 = Load512(buf + 192);
    buf += 256;
    len -= 256;
    const __m512i k2048 = _mm512_broadcast_i32x4(_mm_set_epi64x(kFold2048Hi, kFold2048Lo));
    for (; len >= 256; buf += 256, len -= 256) {
        x0 = Fold(x0, k2048, Load512(buf));
        x1 = Fold(x1, k2048, Load512(buf + 64));
        x2 = Fold(x2, k2048, Load512(buf + 128));
        x3 = Fold(x3, k2048, Load512(buf + 192));
    }
    const __m512i k512 = _mm512_broadcast_i32x4(_mm_set_epi64x(kFold512Hi, kFold512Lo));
    __m512i x = Fold(Fold(Fold(x0, k512, x1), k512, x2), k512, x3);
    for (; len >= 64; buf += 64, len -= 64)
        x = Fold(x, k512, Load512(buf));

    // The four lanes into one: each folded over its distance to the last.
    const __m128i a0 = _mm512_extracti32x4_epi32(x, 0), a1 = _mm512_extracti32x4_epi32(x, 1);
    const __m128i a2 = _mm512_extracti32x4_epi32(x, 2), a3 = _mm512_extracti32x4_epi32(x, 3);
    __m128i r = Fold(a0, _mm_set_epi64x(kFold384Hi, kFold384Lo), a3);
    r = Fold(a1, _mm_set_epi64x(kFold256Hi, kFold256Lo), r);
    r = Fold(a2, _mm_set_epi64x(kFold128Hi, kFold128Lo), r);
    crc = ~FoldAndReduce(r, buf, len);
    return CrcZlib(crc, bytes + body, count - body);
}

// The 32-bit lanes of `acc` hold, alternately, sums of low and of high product halves.
template <size_t N> void AddLanes(const uint32_t (&lanes)[N], ArSums& sums)
{
    for (size_t i = 0; i < N; i += 2) {
        sums.low += lanes[i];
        sums.high += lanes[i + 1];
    }
}

// mul_epu32 multiplies the even 32-bit lanes into 64-bit products; adding those as 32-bit
// lanes keeps the low and high halves' sums apart, as the checksums want.
VELTRA_AVX2 void ArAvx2(const uint8_t* bytes, size_t samples, uint32_t multiplier, ArSums& sums)
{
    __m256i acc0 = _mm256_setzero_si256(), acc1 = _mm256_setzero_si256();
    __m256i m = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(multiplier)),
                                 _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    const __m256i step = _mm256_set1_epi32(8);
    size_t i = 0;
    for (; i + 8 <= samples; i += 8) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + 4 * i));
        acc0 = _mm256_add_epi32(acc0, _mm256_mul_epu32(v, m));
        acc1 = _mm256_add_epi32(
            acc1, _mm256_mul_epu32(_mm256_srli_epi64(v, 32), _mm256_srli_epi64(m, 32)));
        m = _mm256_add_epi32(m, step);
    }
    alignas(32) uint32_t lanes[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), _mm256_add_epi32(acc0, acc1));
    AddLanes(lanes, sums);
    ArPortable(bytes + 4 * i, samples - i, multiplier + static_cast<uint32_t>(i), sums);
}

VELTRA_AVX512 void ArAvx512(const uint8_t* bytes, size_t samples, uint32_t multiplier, ArSums& sums)
{
    __m512i acc0 = _mm512_setzero_si512(), acc1 = _mm512_setzero_si512();
    __m512i m =
        _mm512_add_epi32(_mm512_set1_epi32(static_cast<int>(multiplier)),
                         _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
    const __m512i step = _mm512_set1_epi32(16);
    size_t i = 0;
    for (; i + 16 <= samples; i += 16) {
        const __m512i v = _mm512_loadu_si512(bytes + 4 * i);
        acc0 = _mm512_add_epi32(acc0, _mm512_mul_epu32(v, m));
        acc1 = _mm512_add_epi32(
            acc1, _mm512_mul_epu32(_mm512_srli_epi64(v, 32), _mm512_srli_epi64(m, 32)));
        m = _mm512_add_epi32(m, step);
    }
    alignas(64) uint32_t lanes[16];
    _mm512_store_si512(lanes, _mm512_add_epi32(acc0, acc1));
    AddLanes(lanes, sums);
    ArAvx2(bytes + 4 * i, samples - i, multiplier + static_cast<uint32_t>(i), sums);
}

// pshufb controls that move the kept words of 8 to the front, by mask of kept words.
constexpr std::array<std::array<uint8_t, 16>, 256> kKeepShuffles = [] {
    std::array<std::array<uint8_t, 16>, 256> table{};
    for (unsigned mask = 0; mask < 256; ++mask) {
        unsigned n = 0;
        for (unsigned w = 0; w < 8; ++w)
            if (mask & (1u << w)) {
                table[mask][n++] = static_cast<uint8_t>(2 * w);
                table[mask][n++] = static_cast<uint8_t>(2 * w + 1);
            }
        while (n < 16)
            table[mask][n++] = 0x80;
    }
    return table;
}();

VELTRA_AVX2 size_t DropAvx2(const uint8_t* bytes, size_t words, uint8_t* out)
{
    uint8_t* o = out;
    size_t i = 0;
    for (; i + 16 <= words; i += 16) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + 2 * i));
        const __m256i nulls = _mm256_cmpeq_epi16(v, _mm256_setzero_si256());
        if (_mm256_testz_si256(nulls, nulls)) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(o), v);
            o += 32;
            continue;
        }
        const __m128i lo = _mm256_castsi256_si128(v), hi = _mm256_extracti128_si256(v, 1);
        const unsigned keep =
            ~static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(
                _mm256_castsi256_si128(nulls), _mm256_extracti128_si256(nulls, 1)))) &
            0xffff;
        const unsigned k0 = keep & 0xff, k1 = keep >> 8;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o),
                         _mm_shuffle_epi8(lo, _mm_loadu_si128(reinterpret_cast<const __m128i*>(
                                                  kKeepShuffles[k0].data()))));
        o += 2 * std::popcount(k0);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o),
                         _mm_shuffle_epi8(hi, _mm_loadu_si128(reinterpret_cast<const __m128i*>(
                                                  kKeepShuffles[k1].data()))));
        o += 2 * std::popcount(k1);
    }
    return static_cast<size_t>(o - out) + DropPortable(bytes + 2 * i, words - i, o);
}

// The register form of vpcompressw: the memory form is slow on some CPUs.
VELTRA_AVX512 size_t DropAvx512(const uint8_t* bytes, size_t words, uint8_t* out)
{
    uint8_t* o = out;
    size_t i = 0;
    for (; i + 32 <= words; i += 32) {
        const __m512i v = _mm512_loadu_si512(bytes + 2 * i);
        const __mmask32 keep = _mm512_test_epi16_mask(v, v);
        if (keep == 0xffffffffu) { // the usual case, without the compress's wait on popcount
            _mm512_storeu_si512(o, v);
            o += 64;
            continue;
        }
        _mm512_storeu_si512(o, _mm512_maskz_compress_epi16(keep, v));
        o += 2 * std::popcount(static_cast<uint32_t>(keep));
    }
    return static_cast<size_t>(o - out) + DropAvx2(bytes + 2 * i, words - i, o);
}

constexpr Kernels kAvx2{CrcPclmul, ArAvx2, DropAvx2};
constexpr Kernels kAvx2Vpclmul{CrcVpclmul256, ArAvx2, DropAvx2};
constexpr Kernels kAvx512{CrcVpclmul, ArAvx512, DropAvx512};

bool CpuHasAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("pclmul") &&
           __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("sse4.1") &&
           __builtin_cpu_supports("ssse3");
}

bool CpuHasAvx2Vpclmul()
{
    return CpuHasAvx2() && __builtin_cpu_supports("vpclmulqdq");
}

bool CpuHasAvx512()
{
    return CpuHasAvx2() && __builtin_cpu_supports("avx512f") &&
           __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi2") &&
           __builtin_cpu_supports("vpclmulqdq");
}

#endif

} // namespace

bool Supported(Path path)
{
    switch (path) {
    case Path::Portable:
        return true;
#ifdef VELTRA_PCM_X86
    case Path::Avx2: {
        static const bool has = CpuHasAvx2();
        return has;
    }
    case Path::Avx2Vpclmul: {
        static const bool has = CpuHasAvx2Vpclmul();
        return has;
    }
    case Path::Avx512: {
        static const bool has = CpuHasAvx512();
        return has;
    }
#endif
    default:
        return false;
    }
}

Path Fastest()
{
    if (Supported(Path::Avx512)) return Path::Avx512;
    if (Supported(Path::Avx2Vpclmul)) return Path::Avx2Vpclmul;
    if (Supported(Path::Avx2)) return Path::Avx2;
    return Path::Portable;
}

const Kernels& KernelsFor(Path path)
{
#ifdef VELTRA_PCM_X86
    if (path == Path::Avx512 && Supported(path)) return kAvx512;
    if (path == Path::Avx2Vpclmul && Supported(path)) return kAvx2Vpclmul;
    if (path == Path::Avx2 && Supported(path)) return kAvx2;
#endif
    (void)path;
    return kPortable;
}

} // namespace verify::pcm
