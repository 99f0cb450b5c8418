// foreach_target.h compiles this file once for each instruction set Highway
// knows; the best the processor offers is chosen on the first call.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "limiter/SegmentKernels.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include <hwy/contrib/math/math-inl.h>
#include <hwy/highway.h>

#include "limiter/SegmentKernels.h"

#include <array>
#include <cmath>

#ifndef TOLVO_SINC_WEIGHTS
#define TOLVO_SINC_WEIGHTS
namespace tolvo
{
// Sinc weights sin(u) / u, u = (t - k) pi, of taps k = 1..4 at the points
// t = 1.5, 1.7, ... 3.3 between them (the same at every rate), each tap's
// row padded with zero weights to whole vectors of up to 8 lanes.
constexpr size_t sincPoints = 10;
constexpr size_t sincRow = 16;
alignas (64) const auto sincWeights = []
{
    constexpr double pi = 3.14159265358979323846;
    std::array<double, 4 * sincRow> w {};
    for (size_t k = 0; k < 4; ++k)
        for (size_t i = 0; i < sincPoints; ++i)
        {
            const double u = (1.5 + 0.2 * (double) i - (double) (k + 1)) * pi;
            w[k * sincRow + i] = std::sin (u) / u;
        }
    return w;
}();
} // namespace tolvo
#endif

HWY_BEFORE_NAMESPACE();
namespace tolvo::HWY_NAMESPACE
{
namespace hn = hwy::HWY_NAMESPACE;

void measure (const double* HWY_RESTRICT x, int n, RunMeasure* out)
{
    const hn::ScalableTag<double> d;
    const int lanes = (int) hn::Lanes (d);
    RunMeasure m;
    int k = 0;

    if (n >= lanes)
    {
        auto most = hn::Zero (d);
        auto mostAt = hn::Zero (d); // where each lane's largest first occurs
        auto sumSq = hn::Zero (d);
        auto zeros = hn::Zero (d);

        for (; k + lanes <= n; k += lanes)
        {
            const auto v = hn::LoadU (d, x + k);
            const auto a = hn::Abs (v);
            const auto valid = hn::IfThenElseZero (hn::Eq (a, a), a); // NaN counts as 0
            mostAt = hn::IfThenElse (hn::Gt (valid, most), hn::Iota (d, (double) k), mostAt);
            most = hn::Max (most, valid);
            sumSq = hn::MulAdd (v, v, sumSq);
            zeros = hn::Or (zeros, hn::VecFromMask (d, hn::Eq (a, hn::Zero (d))));
        }

        m.peak = hn::GetLane (hn::MaxOfLanes (d, most));
        const auto atPeak = hn::IfThenElse (hn::Eq (most, hn::Set (d, m.peak)), mostAt, hn::Set (d, (double) n));
        m.peakAt = m.peak > 0.0 ? (int) hn::GetLane (hn::MinOfLanes (d, atPeak)) : 0;
        m.sumSq = hn::GetLane (hn::SumOfLanes (d, sumSq));
        m.hasZero = ! hn::AllFalse (d, hn::MaskFromVec (zeros));
    }

    // The rest one by one: a short segment's samples were stored one by one
    // moments ago, and a vector load across them would wait for the stores.
    for (; k < n; ++k)
    {
        const double a = std::abs (x[k]);
        m.peakAt = a > m.peak ? k : m.peakAt;
        m.peak = a > m.peak ? a : m.peak;
        m.sumSq += x[k] * x[k];
        m.hasZero = m.hasZero || x[k] == 0.0;
    }

    *out = m;
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
// most that times |x| 10^(-target / 20) / e. Every 256 samples the gains are
// taken afresh; in between, each is the one a vector earlier times exp(d),
// d = c (held - target) r^k (1 - r^n), from the short series where d is that
// small, which keeps their rounding under some 1e-14. There, the fresh gains
// are one scalar exp for the first lane and the series for the others' ratio
// to it, a shorter chain than the vector exponential.
constexpr int anchorSpan = 256;
constexpr double largestSeriesExponent = 1.0 / 64.0;

double releaseGain (double* HWY_RESTRICT x, int n, double held, double target, double r)
{
    constexpr double gainPerDb = 0.1151292546497022842; // ln(10) / 20
    const double excess = held > target ? held - target : 0.0;

    // No reduction at all: every gain is exactly 1.
    if (n <= 0 || (excess == 0.0 && target == 0.0))
        return n <= 0 ? held : 0.0;

    const hn::ScalableTag<double> d;
    const int lanes = (int) hn::Lanes (d);

    // r, r^2, ... r^lanes, each from two before it: a short chain.
    static_assert (hn::MaxLanes (hn::ScalableTag<double>()) <= releasePadding);
    HWY_ALIGN double firstPowers[hn::MaxLanes (d)];
    firstPowers[0] = r;
    for (int i = 1; i < lanes; ++i)
        firstPowers[i] = firstPowers[(i - 1) / 2] * firstPowers[i / 2];
    const double power = firstPowers[lanes - 1];

    const double seriesScale = gainPerDb * excess * (1.0 - power);
    const auto base = hn::Set (d, target);
    const auto excessV = hn::Set (d, excess);
    const auto step = hn::Set (d, power);
    const auto one = hn::Set (d, 1.0);
    auto powers = hn::Load (d, firstPowers);
    auto y = base;
    auto gain = one;
    bool series = false;

    for (int k = 0; k < n; k += lanes)
    {
        y = hn::MulAdd (excessV, powers, base);

        if (k % anchorSpan == 0)
            series = seriesScale * hn::GetLane (powers) <= largestSeriesExponent;

        if (k % anchorSpan == 0 && series)
            gain = hn::Mul (hn::Set (d, std::exp (-gainPerDb * hn::GetLane (y))),
                            expOfSmall (d, hn::Mul (hn::Sub (hn::Set (d, hn::GetLane (powers)), powers), hn::Set (d, gainPerDb * excess))));
        else if (! series)
            gain = hn::Exp (d, hn::Mul (y, hn::Set (d, -gainPerDb)));

        // A last, partial vector writes the samples past x[n) back as they
        // were: no branch on the length.
        const auto v = hn::LoadU (d, x + k);
        hn::StoreU (hn::IfThenElse (hn::FirstN (d, (size_t) (n - k)), hn::Mul (v, hn::Min (gain, one)), v), d, x + k);

        if (series)
            gain = hn::Mul (gain, expOfSmall (d, hn::Mul (powers, hn::Set (d, seriesScale))));

        powers = hn::Mul (powers, step);
    }

    const double reduction = hn::ExtractLane (y, (size_t) ((n - 1) % lanes));
    return std::isnormal (reduction) ? reduction : 0.0;
}

// Both candidates' points side by side; a padded point's estimate is 0 (or
// NaN, which is dropped like a NaN tap's), never more than a real one.
double sincPeak (double a1, double a2, double a3, double a4, double b1, double b2, double b3, double b4)
{
    const hn::ScalableTag<double> d;
    const size_t lanes = hn::Lanes (d);
    static_assert (hn::MaxLanes (hn::ScalableTag<double>()) <= sincRow);
    const double* w = sincWeights.data();
    const auto most = [&] (double x1, double x2, double x3, double x4)
    {
        const auto t1 = hn::Set (d, x1), t2 = hn::Set (d, x2), t3 = hn::Set (d, x3), t4 = hn::Set (d, x4);
        auto m = hn::Zero (d);
        for (size_t i = 0; i < sincPoints; i += lanes)
        {
            auto v = hn::Mul (t1, hn::Load (d, w + i));
            v = hn::MulAdd (t2, hn::Load (d, w + sincRow + i), v);
            v = hn::MulAdd (t3, hn::Load (d, w + 2 * sincRow + i), v);
            v = hn::Abs (hn::MulAdd (t4, hn::Load (d, w + 3 * sincRow + i), v));
            m = hn::IfThenElse (hn::Gt (v, m), v, m);
        }
        return m;
    };
    return hn::GetLane (hn::MaxOfLanes (d, hn::Max (most (a1, a2, a3, a4), most (b1, b2, b3, b4))));
}
} // namespace tolvo::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace tolvo
{
HWY_EXPORT (measure);
HWY_EXPORT (releaseGain);
HWY_EXPORT (sincPeak);
} // namespace tolvo
using namespace tolvo;

void measureRun (const double* x, int n, RunMeasure& m) noexcept { return HWY_DYNAMIC_DISPATCH (measure) (x, n, &m); }

double applyReleaseGain (double* x, int n, double held, double target, double r) noexcept { return HWY_DYNAMIC_DISPATCH (releaseGain) (x, n, held, target, r); }

double sincPeakOfTwo (double a1, double a2, double a3, double a4, double b1, double b2, double b3, double b4) noexcept
{
    return HWY_DYNAMIC_DISPATCH (sincPeak) (a1, a2, a3, a4, b1, b2, b3, b4);
}
#endif
