// foreach_target.h compiles this file once for each instruction set Highway
// knows; the best the processor offers is chosen on the first call.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "limiter/FrameKernels.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include <hwy/highway.h>

#include "limiter/FrameKernels.h"

#include <type_traits>

HWY_BEFORE_NAMESPACE();
namespace tolvo::HWY_NAMESPACE
{
namespace hn = hwy::HWY_NAMESPACE;

template <typename T>
HWY_INLINE void store (const T* HWY_RESTRICT in, double* HWY_RESTRICT ring, double* HWY_RESTRICT delayed, int n)
{
    const hn::ScalableTag<double> d;
    const hn::Rebind<T, decltype (d)> dt;
    const int lanes = (int) hn::Lanes (d);
    int k = 0;
    for (; k + lanes <= n; k += lanes)
    {
        hn::StoreU (hn::LoadU (d, ring + k), d, delayed + k);
        if constexpr (std::is_same_v<T, double>)
            hn::StoreU (hn::LoadU (d, in + k), d, ring + k);
        else
            hn::StoreU (hn::PromoteTo (d, hn::LoadU (dt, in + k)), d, ring + k);
    }
    for (; k < n; ++k)
    {
        delayed[k] = ring[k];
        ring[k] = (double) in[k];
    }
}

void storeFloat (const float* in, double* ring, double* delayed, int n) { store (in, ring, delayed, n); }
void storeDouble (const double* in, double* ring, double* delayed, int n) { store (in, ring, delayed, n); }

void crossings (const double* HWY_RESTRICT x, double previous, int n, std::uint64_t* HWY_RESTRICT words)
{
    const hn::ScalableTag<double> d;
    const int lanes = (int) hn::Lanes (d);
    for (int w = 0; w * 64 < n; ++w)
        words[w] = 0;

    // The first vector one by one, from `previous`; then whole vectors,
    // which never straddle two words, as the lanes divide 64.
    int k = 0;
    const auto zero = hn::Zero (d);
    for (; k < n && k < lanes; ++k)
        words[0] |= (std::uint64_t) crossesZero (x[k], k == 0 ? previous : x[k - 1]) << k;
    for (; k + lanes <= n; k += lanes)
    {
        const auto crossed = hn::Lt (hn::Mul (hn::LoadU (d, x + k), hn::LoadU (d, x + k - 1)), zero); // crossesZero
        uint8_t bits[8] = {};
        hn::StoreMaskBits (d, crossed, bits);
        std::uint64_t v = 0;
        for (int b = 0; b < (lanes + 7) / 8; ++b)
            v |= (std::uint64_t) bits[b] << (8 * b);
        words[k / 64] |= v << (k % 64);
    }
    for (; k < n; ++k)
        words[k / 64] |= (std::uint64_t) crossesZero (x[k], x[k - 1]) << (k % 64);
}

template <typename T>
HWY_INLINE void put (const double* HWY_RESTRICT delayed, T* HWY_RESTRICT out, int n)
{
    const hn::ScalableTag<double> d;
    const hn::Rebind<T, decltype (d)> dt;
    const int lanes = (int) hn::Lanes (d);
    int k = 0;
    for (; k + lanes <= n; k += lanes)
    {
        if constexpr (std::is_same_v<T, double>)
            hn::StoreU (hn::LoadU (d, delayed + k), d, out + k);
        else
            hn::StoreU (hn::DemoteTo (dt, hn::LoadU (d, delayed + k)), dt, out + k);
    }
    for (; k < n; ++k)
        out[k] = (T) delayed[k];
}

void putFloat (const double* delayed, float* out, int n) { put (delayed, out, n); }
void putDouble (const double* delayed, double* out, int n) { put (delayed, out, n); }
} // namespace tolvo::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace tolvo
{
HWY_EXPORT (storeFloat);
HWY_EXPORT (storeDouble);
HWY_EXPORT (crossings);
HWY_EXPORT (putFloat);
HWY_EXPORT (putDouble);
} // namespace tolvo
using namespace tolvo;

void storeFrames (const float* in, double* ring, double* delayed, int n) noexcept
{
    HWY_DYNAMIC_DISPATCH (storeFloat)
    (in, ring, delayed, n);
}
void storeFrames (const double* in, double* ring, double* delayed, int n) noexcept
{
    HWY_DYNAMIC_DISPATCH (storeDouble)
    (in, ring, delayed, n);
}
void findCrossings (const double* x, double previous, int n, std::uint64_t* words) noexcept
{
    HWY_DYNAMIC_DISPATCH (crossings)
    (x, previous, n, words);
}
void putOut (const double* delayed, float* out, int n) noexcept
{
    HWY_DYNAMIC_DISPATCH (putFloat)
    (delayed, out, n);
}
void putOut (const double* delayed, double* out, int n) noexcept
{
    HWY_DYNAMIC_DISPATCH (putDouble)
    (delayed, out, n);
}
#endif
