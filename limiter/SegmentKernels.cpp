// foreach_target.h compiles this file once for each instruction set Highway
// knows; the best the processor offers is chosen on the first call.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "limiter/SegmentKernels.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include <hwy/contrib/math/math-inl.h>
#include <hwy/highway.h>

#include "limiter/SegmentKernels.h"

#include <algorithm>
#include <cmath>

HWY_BEFORE_NAMESPACE();
namespace tolvo::HWY_NAMESPACE
{
namespace hn = hwy::HWY_NAMESPACE;

RunMeasure measure (const double* HWY_RESTRICT x, int n)
{
    const hn::ScalableTag<double> d;
    const int lanes = (int) hn::Lanes (d);
    auto most = hn::Zero (d);
    auto sumSq = hn::Zero (d);
    auto zeros = hn::Zero (d);
    int k = 0;

    for (; k + lanes <= n; k += lanes)
    {
        const auto v = hn::LoadU (d, x + k);
        const auto a = hn::Abs (v);
        most = hn::Max (most, hn::IfThenElseZero (hn::Eq (a, a), a)); // NaN counts as 0
        sumSq = hn::MulAdd (v, v, sumSq);
        zeros = hn::Or (zeros, hn::VecFromMask (d, hn::Eq (a, hn::Zero (d))));
    }

    RunMeasure m;
    m.peak = hn::GetLane (hn::MaxOfLanes (d, most));
    m.sumSq = hn::GetLane (hn::SumOfLanes (d, sumSq));
    m.hasZero = ! hn::AllFalse (d, hn::MaskFromVec (zeros));

    for (int j = k; j < n; ++j)
    {
        m.peak = std::abs (x[j]) > m.peak ? std::abs (x[j]) : m.peak;
        m.sumSq += x[j] * x[j];
        m.hasZero = m.hasZero || x[j] == 0.0;
    }

    if (! (m.peak > 0.0))
        return m;

    // Vectors first, to the one that holds the peak, then samples within it.
    const auto peak = hn::Set (d, m.peak);
    k = 0;
    while (k + lanes <= n && hn::AllFalse (d, hn::Eq (hn::Abs (hn::LoadU (d, x + k)), peak)))
        k += lanes;

    while (! (std::abs (x[k]) == m.peak))
        ++k;

    m.peakAt = k;
    return m;
}

// exp(d) for |d| <= 1/64, to 5e-17: 1 + d + d^2/2 + ... + d^6/720.
template <class D, class V>
V expOfSmall (D d, V x)
{
    auto p = hn::Set (d, 1.0 / 720.0);
    for (const double c : { 1.0 / 120.0, 1.0 / 24.0, 1.0 / 6.0, 0.5, 1.0, 1.0 })
        p = hn::MulAdd (p, x, hn::Set (d, c));
    return p;
}

// The powers of r are multiplied up from r, r^2, ... r^n for n lanes: their
// rounding grows by half an ulp a vector, which moves an output sample by at
// most that times |x| 10^(-target / 20) / e. The gains are taken afresh from
// the exponential every 256 samples; in between, each is the one a vector
// earlier times exp(d), d = c (held - target) r^k (1 - r^n), from the short
// series where d is that small, which keeps their rounding under some 1e-14.
constexpr int anchorSpan = 256;
constexpr double largestSeriesExponent = 1.0 / 64.0;

double releaseGain (double* HWY_RESTRICT x, int n, double held, double target, double r)
{
    if (n <= 0)
        return held;
    constexpr double gainPerDb = 0.1151292546497022842; // ln(10) / 20
    const hn::ScalableTag<double> d;
    const int lanes = (int) hn::Lanes (d);

    HWY_ALIGN double firstPowers[hn::MaxLanes (d)];
    double power = 1.0;
    for (int i = 0; i < lanes; ++i)
        firstPowers[i] = power *= r;

    const double excess = held > target ? held - target : 0.0;
    const double seriesScale = gainPerDb * excess * (1.0 - power);
    const auto base = hn::Set (d, target);
    const auto excessV = hn::Set (d, excess);
    const auto step = hn::Set (d, power);
    const auto one = hn::Set (d, 1.0);
    auto powers = hn::Load (d, firstPowers);
    auto y = base;
    int last = 0;

    for (int from = 0; from < n; from += anchorSpan)
    {
        const int to = std::min (n, from + anchorSpan);
        y = hn::MulAdd (excessV, powers, base);
        auto gain = hn::Exp (d, hn::Mul (y, hn::Set (d, -gainPerDb)));
        const bool series = seriesScale * hn::GetLane (powers) <= largestSeriesExponent;

        for (int k = from; k < to; k += lanes)
        {
            y = hn::MulAdd (excessV, powers, base);
            gain = series || k == from ? gain : hn::Exp (d, hn::Mul (y, hn::Set (d, -gainPerDb)));
            last = k;

            if (k + lanes <= to)
            {
                hn::StoreU (hn::Mul (hn::LoadU (d, x + k), hn::Min (gain, one)), d, x + k);
            }
            else
            {
                HWY_ALIGN double part[hn::MaxLanes (d)] = {};
                std::copy (x + k, x + to, part);
                hn::Store (hn::Mul (hn::Load (d, part), hn::Min (gain, one)), d, part);
                std::copy (part, part + (to - k), x + k);
            }

            if (series)
                gain = hn::Mul (gain, expOfSmall (d, hn::Mul (powers, hn::Set (d, seriesScale))));

            powers = hn::Mul (powers, step);
        }
    }

    HWY_ALIGN double reductions[hn::MaxLanes (d)];
    hn::Store (y, d, reductions);
    const double reduction = reductions[n - 1 - last];
    return std::isnormal (reduction) ? reduction : 0.0;
}
} // namespace tolvo::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace tolvo
{
HWY_EXPORT (measure);
HWY_EXPORT (releaseGain);
} // namespace tolvo

RunMeasure measureRun (const double* x, int n) noexcept
{
    using namespace tolvo;
    return HWY_DYNAMIC_DISPATCH (measure) (x, n);
}

double applyReleaseGain (double* x, int n, double held, double target, double r) noexcept
{
    using namespace tolvo;
    return HWY_DYNAMIC_DISPATCH (releaseGain) (x, n, held, target, r);
}
#endif
