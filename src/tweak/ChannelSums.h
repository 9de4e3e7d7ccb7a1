// Sums of three bytes of every four-byte pixel of a row, for the average colour: the loop that
// reads every byte of an icon, written with the widest integer vectors the processor offers.
//
//   ChannelSums sums;
//   addChannelSums(row, width, {0, 1, 2}, sums);   // red, green, blue at bytes 0, 1 and 2
//
// Each vector step masks one channel's bytes out of sixteen (or thirty-two) and adds them with a
// sum of absolute differences against zero, which yields exact 64-bit totals: the results are
// the scalar loop's, bit for bit. SSE2 is the x86-64 baseline; AVX2 is taken when the processor
// reports it at run time; other processors use the scalar loop.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace zovorudovu {

struct ChannelSums {
    std::uint64_t first = 0, second = 0, third = 0;
};

// Byte positions of the three channels within a pixel, each below 4.
struct ChannelPositions {
    unsigned first, second, third;
};

namespace detail {

inline void addChannelSumsScalar(const std::uint8_t* pixels, std::size_t count, ChannelPositions at, ChannelSums& sums)
{
    for (std::size_t i = 0; i < count; ++i, pixels += 4) {
        sums.first += pixels[at.first];
        sums.second += pixels[at.second];
        sums.third += pixels[at.third];
    }
}

#if defined(__x86_64__)
// The mask that keeps byte `position` of every 32-bit pixel.
inline std::uint32_t laneMask(unsigned position) { return 0xFFu << (8 * position); }

// The sum of a vector's 64-bit lanes.
inline std::uint64_t laneTotal(__m128i v)
{
    alignas(16) std::uint64_t lanes[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), v);
    return lanes[0] + lanes[1];
}

[[gnu::target("avx2")]] inline std::uint64_t laneTotal(__m256i v)
{
    alignas(32) std::uint64_t lanes[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), v);
    return lanes[0] + lanes[1] + lanes[2] + lanes[3];
}

inline std::size_t addChannelSumsSSE2(const std::uint8_t* pixels, std::size_t count, ChannelPositions at, ChannelSums& sums)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i m1 = _mm_set1_epi32(static_cast<int>(laneMask(at.first)));
    const __m128i m2 = _mm_set1_epi32(static_cast<int>(laneMask(at.second)));
    const __m128i m3 = _mm_set1_epi32(static_cast<int>(laneMask(at.third)));
    __m128i s1 = zero, s2 = zero, s3 = zero;
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i * 4));
        s1 = _mm_add_epi64(s1, _mm_sad_epu8(_mm_and_si128(v, m1), zero));
        s2 = _mm_add_epi64(s2, _mm_sad_epu8(_mm_and_si128(v, m2), zero));
        s3 = _mm_add_epi64(s3, _mm_sad_epu8(_mm_and_si128(v, m3), zero));
    }
    sums.first += laneTotal(s1);
    sums.second += laneTotal(s2);
    sums.third += laneTotal(s3);
    return i;
}

[[gnu::target("avx2")]] inline std::size_t addChannelSumsAVX2(const std::uint8_t* pixels, std::size_t count, ChannelPositions at, ChannelSums& sums)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i m1 = _mm256_set1_epi32(static_cast<int>(laneMask(at.first)));
    const __m256i m2 = _mm256_set1_epi32(static_cast<int>(laneMask(at.second)));
    const __m256i m3 = _mm256_set1_epi32(static_cast<int>(laneMask(at.third)));
    __m256i s1 = zero, s2 = zero, s3 = zero;
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels + i * 4));
        s1 = _mm256_add_epi64(s1, _mm256_sad_epu8(_mm256_and_si256(v, m1), zero));
        s2 = _mm256_add_epi64(s2, _mm256_sad_epu8(_mm256_and_si256(v, m2), zero));
        s3 = _mm256_add_epi64(s3, _mm256_sad_epu8(_mm256_and_si256(v, m3), zero));
    }
    sums.first += laneTotal(s1);
    sums.second += laneTotal(s2);
    sums.third += laneTotal(s3);
    return i;
}
#endif

} // namespace detail

// Which kernel addChannelSums uses; the others are for checking it against the scalar rule.
enum class ChannelSumsKernel { Scalar, SSE2, AVX2 };

inline bool channelSumsKernelAvailable(ChannelSumsKernel kernel)
{
#if defined(__x86_64__)
    // The answer is a bit of what the C runtime recorded about the processor at start-up: reading
    // it costs a load, so it is not kept.
    return kernel != ChannelSumsKernel::AVX2 || __builtin_cpu_supports("avx2");
#else
    return kernel == ChannelSumsKernel::Scalar;
#endif
}

// Adds the bytes at `at` of `count` consecutive four-byte pixels to `sums`. Precondition: the
// kernel is available.
inline void addChannelSums(const std::uint8_t* pixels, std::size_t count, ChannelPositions at, ChannelSums& sums, ChannelSumsKernel kernel)
{
    std::size_t done = 0;
#if defined(__x86_64__)
    if (kernel == ChannelSumsKernel::AVX2) done = detail::addChannelSumsAVX2(pixels, count, at, sums);
    else if (kernel == ChannelSumsKernel::SSE2) done = detail::addChannelSumsSSE2(pixels, count, at, sums);
#endif
    detail::addChannelSumsScalar(pixels + done * 4, count - done, at, sums);
}

inline void addChannelSums(const std::uint8_t* pixels, std::size_t count, ChannelPositions at, ChannelSums& sums)
{
#if defined(__x86_64__)
    const ChannelSumsKernel best = channelSumsKernelAvailable(ChannelSumsKernel::AVX2) ? ChannelSumsKernel::AVX2 : ChannelSumsKernel::SSE2;
#else
    constexpr ChannelSumsKernel best = ChannelSumsKernel::Scalar;
#endif
    addChannelSums(pixels, count, at, sums, best);
}

} // namespace zovorudovu
