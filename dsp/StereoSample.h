#pragma once

#include <cstdint>
#include <type_traits>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

// Left and right in the two lanes of one register. The engines run both
// channels in lockstep; every lane does exactly the single-precision
// arithmetic of one channel processed alone, so the results are bit for bit
// the same, at about half the instructions.
using StereoSample = float __attribute__((vector_size(8)));
using StereoIndex = int32_t __attribute__((vector_size(8)));

// Two stereo frames side by side, for the stretches of a computation that no
// recursion ties from one frame to the next.
using QuadSample = float __attribute__((vector_size(16)));
using QuadIndex = int32_t __attribute__((vector_size(16)));

// Left and right in double precision, for recursions whose rounding error
// single precision would amplify into the output.
using StereoDouble = double __attribute__((vector_size(16)));

namespace dsp {

// The channel code is written once for a Sample type: float for one channel,
// StereoSample for two, QuadSample for two frames of two. The helpers below
// take any of them (and the index types).
template <typename T> inline constexpr int kLanes = 1;
template <> inline constexpr int kLanes<StereoSample> = 2;
template <> inline constexpr int kLanes<StereoIndex> = 2;
template <> inline constexpr int kLanes<QuadSample> = 4;
template <> inline constexpr int kLanes<QuadIndex> = 4;
template <> inline constexpr int kLanes<StereoDouble> = 2;

template <typename Sample>
using Index = std::conditional_t<kLanes<Sample> == 1, int32_t,
                                 std::conditional_t<kLanes<Sample> == 2, StereoIndex, QuadIndex>>;

// The double-precision counterpart of float and StereoSample.
template <typename Sample> using Wide = std::conditional_t<kLanes<Sample> == 1, double, StereoDouble>;

template <typename Sample> Wide<Sample> widen(Sample v)
{
    if constexpr (kLanes<Sample> == 1)
        return v;
    else
        return __builtin_convertvector(v, StereoDouble);
}

template <typename Sample> Sample narrow(Wide<Sample> v)
{
    if constexpr (kLanes<Sample> == 1)
        return static_cast<float>(v);
    else
        return __builtin_convertvector(v, Sample);
}

template <typename Sample> Sample broadcast(float x)
{
    if constexpr (kLanes<Sample> == 1) {
        return x;
    } else {
        Sample v{};
        for (int i = 0; i < kLanes<Sample>; ++i) v[i] = x;
        return v;
    }
}

template <typename T> auto lane(T v, int i)
{
    if constexpr (kLanes<T> == 1)
        return (void)i, v;
    else
        return v[i];
}

template <typename Sample> void setLane(Sample& v, int i, float x)
{
    if constexpr (kLanes<Sample> == 1)
        (void)i, v = x;
    else
        v[i] = x;
}

// True when the comparison held in every lane.
template <typename Mask> bool allLanes(Mask m)
{
    if constexpr (std::is_same_v<Mask, StereoIndex>)
        return reinterpret_cast<int64_t>(m) == -1; // one test for both lanes
    else
        return m;
}

// Truncation toward zero, and back; for non-negative values that is floor.
template <typename Sample> Index<Sample> truncate(Sample v)
{
    if constexpr (kLanes<Sample> == 1)
        return static_cast<int32_t>(v);
    else
        return __builtin_convertvector(v, Index<Sample>);
}

template <typename Sample> Sample toSample(Index<Sample> v)
{
    if constexpr (kLanes<Sample> == 1)
        return static_cast<float>(v);
    else
        return __builtin_convertvector(v, Sample);
}

// table[index], lane by lane.
template <typename Sample> Sample gather(const float* table, Index<Sample> index)
{
    if constexpr (kLanes<Sample> == 1) {
        return table[index];
    } else {
        Sample v{};
        for (int i = 0; i < kLanes<Sample>; ++i) v[i] = table[index[i]];
        return v;
    }
}

// |v| by clearing the sign bit, as fabs does (also for -0 and NaN).
template <typename Sample> Sample absolute(Sample v)
{
    if constexpr (kLanes<Sample> == 1)
        return __builtin_fabsf(v);
    else
        return reinterpret_cast<Sample>(reinterpret_cast<Index<Sample>>(v) & 0x7fffffff);
}

#if defined(__SSE__)
// op(broadcast b, a) with one four-lane SSE instruction; two lanes go
// through the low half of a register.
template <typename Sample, typename Op> Sample withSse(Sample a, float b, Op op)
{
    if constexpr (kLanes<Sample> == 2) {
        const QuadSample r = op(_mm_set1_ps(b), __builtin_shufflevector(a, a, 0, 1, -1, -1));
        return __builtin_shufflevector(r, r, 0, 1);
    } else {
        return op(_mm_set1_ps(b), a);
    }
}
#endif

// std::min(a, b) and std::max(a, b) lane by lane: a NaN in a passes through.
// Those are exactly minps(b, a) and maxps(b, a), which GCC does not always
// see through inlining.
template <typename Sample> Sample minimum(Sample a, float b)
{
#if defined(__SSE__)
    if constexpr (kLanes < Sample >> 1)
        return withSse(a, b, [](__m128 x, __m128 y) { return _mm_min_ps(x, y); });
#endif
    return broadcast<Sample>(b) < a ? broadcast<Sample>(b) : a;
}

template <typename Sample> Sample maximum(Sample a, float b)
{
#if defined(__SSE__)
    if constexpr (kLanes < Sample >> 1)
        return withSse(a, b, [](__m128 x, __m128 y) { return _mm_max_ps(x, y); });
#endif
    return a < broadcast<Sample>(b) ? broadcast<Sample>(b) : a;
}

// Two stereo frames as one QuadSample (or index), and back.
template <typename Pair> auto join(Pair first, Pair second)
{
    return __builtin_shufflevector(first, second, 0, 1, 2, 3);
}

template <typename Quad> auto low(Quad v)
{
    return __builtin_shufflevector(v, v, 0, 1);
}

template <typename Quad> auto high(Quad v)
{
    return __builtin_shufflevector(v, v, 2, 3);
}

} // namespace dsp
