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

// Stores in[0..n) at ring[0..n), keeps the samples they replace in
// delayed[0..n) and marks the crossings as bits, all in one pass. The
// samples before a vector's are read from the input, one lane earlier:
// from the ring they would wait for the stores just made.
template <typename T>
HWY_INLINE void store (const T* HWY_RESTRICT in, double* HWY_RESTRICT ring, double* HWY_RESTRICT delayed, double previous, int n,
                       std::uint64_t* HWY_RESTRICT words)
{
    const hn::ScalableTag<double> d;
    const hn::Rebind<T, decltype (d)> dt;
    const int lanes = (int) hn::Lanes (d);
    for (int w = 0; w * 64 < n; ++w)
        words[w] = 0;

    const auto load = [&] (int at)
    {
        if constexpr (std::is_same_v<T, double>)
            return hn::LoadU (d, in + at);
        else
            return hn::PromoteTo (d, hn::LoadU (dt, in + at));
    };
    const auto zero = hn::Zero (d);
    int k = 0;
    for (; k + lanes <= n; k += lanes)
    {
        hn::StoreU (hn::LoadU (d, ring + k), d, delayed + k);
        const auto x = load (k);
        hn::StoreU (x, d, ring + k);

        if (k == 0)
        {
            for (int i = 0; i < lanes; ++i)
                words[0] |= (std::uint64_t) crossesZero ((double) in[i], i == 0 ? previous : (double) in[i - 1]) << i;
            continue;
        }
        const auto crossed = hn::Lt (hn::Mul (x, load (k - 1)), zero); // crossesZero
        uint8_t bits[8] = {};
        hn::StoreMaskBits (d, crossed, bits);
        std::uint64_t v = 0;
        for (int b = 0; b < (lanes + 7) / 8; ++b)
            v |= (std::uint64_t) bits[b] << (8 * b);
        words[k / 64] |= v << (k % 64);
    }
    for (; k < n; ++k)
    {
        delayed[k] = ring[k];
        ring[k] = (double) in[k];
        words[k / 64] |= (std::uint64_t) crossesZero (ring[k], k == 0 ? previous : ring[k - 1]) << (k % 64);
    }
}

void storeFloat (const float* in, double* ring, double* delayed, double previous, int n, std::uint64_t* words) { store (in, ring, delayed, previous, n, words); }
void storeDouble (const double* in, double* ring, double* delayed, double previous, int n, std::uint64_t* words) { store (in, ring, delayed, previous, n, words); }

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
HWY_EXPORT (putFloat);
HWY_EXPORT (putDouble);
} // namespace tolvo
using namespace tolvo;

void storeFrames (const float* in, double* ring, double* delayed, double previous, int n, std::uint64_t* crossings) noexcept
{
    HWY_DYNAMIC_DISPATCH (storeFloat)
    (in, ring, delayed, previous, n, crossings);
}
void storeFrames (const double* in, double* ring, double* delayed, double previous, int n, std::uint64_t* crossings) noexcept
{
    HWY_DYNAMIC_DISPATCH (storeDouble)
    (in, ring, delayed, previous, n, crossings);
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
