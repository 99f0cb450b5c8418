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
#include <limits>

#ifndef TOLVO_SEGMENT_KERNELS_ONCE
#define TOLVO_SEGMENT_KERNELS_ONCE
namespace tolvo
{
// Peak, its place, the sum of squares and the zeros of a run of samples.
struct RunMeasure
{
    double peak = 0.0; // largest |x|, NaN left out; 0 for none
    int peakAt = 0; // where it first occurs; 0 when the peak is 0
    double sumSq = 0.0;
    bool hasZero = false; // some x is exactly 0
};

// Segments shorter than this, not wrapping round the ring, are measured one
// sample at a time: their samples were stored one by one moments ago, and a
// vector load across them would wait for the stores.
constexpr int shortSegment = 8;

constexpr double pi = 3.14159265358979323846;

// No estimate exceeds its largest tap times the weights' summed magnitude,
// at most 16 / 3 pi (at t = 2.5); with room for rounding.
constexpr double sincTapBound = 16.0 / (3.0 * pi) * (1.0 + 1e-9);

// Sinc weights sin(u) / u, u = (t - k) pi, of taps k = 1..4 at the points
// t = 1.5, 1.7, ... 3.3 between them (the same at every rate), by tap, each
// tap's row padded with zero weights to whole vectors of up to 8 lanes.
constexpr size_t sincPoints = 10;
constexpr size_t sincRow = 16;
alignas (64) const auto sincWeights = []
{
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

// The first place of `peak` in x[0..n), 0 if it has none.
HWY_INLINE int placeOf (const double* HWY_RESTRICT x, int n, double peak)
{
    const hn::ScalableTag<double> d;
    const int lanes = (int) hn::Lanes (d);
    int k = 0;
    for (; k + lanes <= n; k += lanes)
    {
        const intptr_t at = hn::FindFirstTrue (d, hn::Eq (hn::Abs (hn::LoadU (d, x + k)), hn::Set (d, peak)));
        if (at >= 0)
            return k + (int) at;
    }
    for (; k < n; ++k)
        if (std::abs (x[k]) == peak)
            return k;
    return 0;
}

// Measures x[0..n) into out. Written in place: a returned copy would be read
// back wider than it was stored, which stalls.
// Without `findPlace`, the peak's place is left unknown.
HWY_INLINE void measure (const double* HWY_RESTRICT x, int n, RunMeasure* out, bool findPlace = true)
{
    const hn::ScalableTag<double> d;
    const int lanes = (int) hn::Lanes (d);
    RunMeasure m;
    int k = 0;

    if (n >= lanes)
    {
        // Two vectors a step, each with its own largest and sum, so that
        // neither waits on the other; the peak's place is found afterwards.
        using V = hn::Vec<decltype (d)>;
        const V zero = hn::Zero (d);
        V most0 = zero, most1 = zero, sum0 = zero, sum1 = zero;
        auto zeros = hn::Eq (zero, hn::Set (d, 1.0));
        const auto take = [&] (int at, V& most, V& sum)
        {
            const auto v = hn::LoadU (d, x + at);
            const auto a = hn::Abs (v);
            most = hn::Max (most, hn::IfThenElseZero (hn::Eq (a, a), a)); // NaN counts as 0
            sum = hn::MulAdd (v, v, sum);
            zeros = hn::Or (zeros, hn::Eq (a, zero));
        };
        for (; k + 2 * lanes <= n; k += 2 * lanes)
        {
            take (k, most0, sum0);
            take (k + lanes, most1, sum1);
        }
        if (k + lanes <= n)
        {
            take (k, most0, sum0);
            k += lanes;
        }

        m.peak = hn::GetLane (hn::MaxOfLanes (d, hn::Max (most0, most1)));
        m.sumSq = hn::GetLane (hn::SumOfLanes (d, hn::Add (sum0, sum1)));
        m.hasZero = ! hn::AllFalse (d, zeros);
        if (findPlace && m.peak > 0.0)
            m.peakAt = placeOf (x, k, m.peak); // a larger one in the tail below moves it
    }

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
HWY_INLINE V expOfSmall (D d, V x)
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
// are one exp for the first lane and the series for the others' ratio
// to it, a shorter chain than the vector exponential.
constexpr int anchorSpan = 256;
constexpr double largestSeriesExponent = 1.0 / 64.0;

//
// Applies the gain to x[0..n): the reduction falls from `held` toward
// `target` dB by `r` per sample and stays at `target` when `held` does not
// exceed it; each sample is multiplied by 10^(-y_k / 20). Returns the
// reduction after the last sample, flushed to 0 unless normal. Reads and
// rewrites, unchanged, up to releasePadding samples past x[n).
HWY_INLINE double releaseGain (double* HWY_RESTRICT x, int n, double held, double target, double r, HeldGain& hold)
{
    using gainLaw::gainPerDb;
    const double excess = held > target ? held - target : 0.0;

    // No reduction at all: every gain is exactly 1.
    if (n <= 0 || (excess == 0.0 && target == 0.0))
        return n <= 0 ? held : 0.0;

    const hn::ScalableTag<double> d;
    const int lanes = (int) hn::Lanes (d);
    const auto one = hn::Set (d, 1.0);

    // The reduction holds at its target (a louder or equal segment): one
    // gain for every sample.
    if (excess == 0.0)
    {
        // A steady tone holds the same reduction segment after segment.
        if (! (target == hold.reductionDb))
        {
            hold.reductionDb = target;
            hold.gain = hn::GetLane (hn::Min (hn::Exp (d, hn::Set (d, -gainPerDb * target)), one));
        }
        const auto gain = hn::Set (d, hold.gain);
        for (int k = 0; k < n; k += lanes)
        {
            const auto v = hn::LoadU (d, x + k);
            hn::StoreU (hn::IfThenElse (hn::FirstN (d, (size_t) (n - k)), hn::Mul (v, gain), v), d, x + k);
        }
        return std::isnormal (target) ? target : 0.0;
    }

    // r, r^2, ... r^lanes in the lanes, each lane multiplying in r^(2^b)
    // for every bit b of its index: a short chain, kept in registers.
    const hn::RebindToSigned<decltype (d)> di;
    const auto index = hn::Iota (di, 0);
    auto powers = hn::Set (d, r);
    double bitPower = r;
    for (int bit = 1; bit < lanes; bit += bit)
    {
        const auto has = hn::RebindMask (d, hn::Ne (hn::And (index, hn::Set (di, bit)), hn::Zero (di)));
        powers = hn::Mul (powers, hn::IfThenElse (has, hn::Set (d, bitPower), one));
        bitPower *= bitPower;
    }
    const double power = hn::ExtractLane (powers, (size_t) (lanes - 1));

    const double seriesScale = gainPerDb * excess * (1.0 - power);
    const auto base = hn::Set (d, target);
    const auto excessV = hn::Set (d, excess);
    const auto step = hn::Set (d, power);

    // Relaxing toward no reduction from a small one, as after a limited
    // moment: the short series gives every gain.
    const bool small = target == 0.0 && gainPerDb * excess * r <= largestSeriesExponent;

    // A short segment: one vector, its gains straight from the exponential.
    if (n <= lanes)
    {
        const auto y = hn::MulAdd (excessV, powers, base);
        const auto v = hn::LoadU (d, x);
        const auto exponent = hn::Mul (y, hn::Set (d, -gainPerDb));
        const auto gain = hn::Min (small ? expOfSmall (d, exponent) : hn::Exp (d, exponent), one);
        hn::StoreU (hn::IfThenElse (hn::FirstN (d, (size_t) n), hn::Mul (v, gain), v), d, x);
        const double reduction = hn::ExtractLane (y, (size_t) (n - 1));
        return std::isnormal (reduction) ? reduction : 0.0;
    }

    auto y = base;
    auto gain = one;
    bool series = false;

    for (int k = 0; k < n; k += lanes)
    {
        y = hn::MulAdd (excessV, powers, base);

        if (k % anchorSpan == 0)
            series = seriesScale * hn::GetLane (powers) <= largestSeriesExponent;

        if (small)
            gain = expOfSmall (d, hn::Mul (y, hn::Set (d, -gainPerDb)));
        else if (k % anchorSpan == 0 && series)
            gain = hn::Mul (hn::Exp (d, hn::Set (d, -gainPerDb * hn::GetLane (y))),
                            expOfSmall (d, hn::Mul (hn::Sub (hn::Set (d, hn::GetLane (powers)), powers), hn::Set (d, gainPerDb * excess))));
        else if (! series)
            gain = hn::Exp (d, hn::Mul (y, hn::Set (d, -gainPerDb)));

        // A last, partial vector writes the samples past x[n) back as they
        // were: no branch on the length.
        const auto v = hn::LoadU (d, x + k);
        hn::StoreU (hn::IfThenElse (hn::FirstN (d, (size_t) (n - k)), hn::Mul (v, hn::Min (gain, one)), v), d, x + k);

        if (series && ! small && k + lanes < n) // the next vector's gains, if there is one
            gain = hn::Mul (gain, expOfSmall (d, hn::Mul (powers, hn::Set (d, seriesScale))));

        powers = hn::Mul (powers, step);
    }

    const double reduction = hn::ExtractLane (y, (size_t) ((n - 1) % lanes));
    return std::isnormal (reduction) ? reduction : 0.0;
}

// The larger of two candidates' sinc estimates, lane by lane: the largest
// |sum w_k x_k| over the ten points of taps a1..a4 and of b1..b4. A NaN tap
// zeroes its estimate. The first tap, which may be the last sample of the
// segment before, comes in last: the rest of each sum need not wait for it.
template <class D, class V>
HWY_INLINE V sincPeaks (D d, V a1, V a2, V a3, V a4, V b1, V b2, V b3, V b4)
{
    const double* w = sincWeights.data();
    const auto most = [&] (V x1, V x2, V x3, V x4)
    {
        auto m = hn::Zero (d);
        for (size_t i = 0; i < sincPoints; ++i)
        {
            auto v = hn::Mul (x2, hn::Set (d, w[sincRow + i]));
            v = hn::MulAdd (x3, hn::Set (d, w[2 * sincRow + i]), v);
            v = hn::MulAdd (x4, hn::Set (d, w[3 * sincRow + i]), v);
            v = hn::Abs (hn::MulAdd (x1, hn::Set (d, w[i]), v));
            m = hn::IfThenElse (hn::Gt (v, m), v, m);
        }
        return m;
    };
    return hn::Max (most (a1, a2, a3, a4), most (b1, b2, b3, b4));
}

// The same estimates for one segment, its points side by side in the lanes:
// each point's sum is formed in the same order, so the result is the same to
// the bit. A padded point's estimate is 0 (or NaN, which is dropped like a
// NaN tap's), never more than a real one.
HWY_INLINE double sincPeakOne (double a1, double a2, double a3, double a4, double b1, double b2, double b3, double b4)
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
            auto v = hn::Mul (t2, hn::Load (d, w + sincRow + i));
            v = hn::MulAdd (t3, hn::Load (d, w + 2 * sincRow + i), v);
            v = hn::MulAdd (t4, hn::Load (d, w + 3 * sincRow + i), v);
            v = hn::Abs (hn::MulAdd (t1, hn::Load (d, w + i), v));
            m = hn::IfThenElse (hn::Gt (v, m), v, m);
        }
        return m;
    };
    return hn::GetLane (hn::MaxOfLanes (d, hn::Max (most (a1, a2, a3, a4), most (b1, b2, b3, b4))));
}

double sincPeak (double a1, double a2, double a3, double a4, double b1, double b2, double b3, double b4)
{
    return sincPeakOne (a1, a2, a3, a4, b1, b2, b3, b4);
}

// Whether the segment's estimates could count, by the bound on their taps
// that judgeLanes applies, with the ring as it stands: read before the
// segment the first tap belongs to is gained, which can only widen the bound.
HWY_INLINE bool mayEstimate (const double* HWY_RESTRICT ring, int length, const ClosedSegment& s)
{
    const auto wrap = [length] (int c)
    { return c >= length ? c - length : c; };
    const int afterAt = wrap (s.end + 1);
    double reach = s.peak;
    for (const int c : { s.first == 0 ? length - 1 : s.first - 1, wrap (s.peakAt + 1), wrap (s.peakAt + 2) })
    {
        const double m = std::abs (c == afterAt ? s.after : ring[c]);
        reach = m > reach ? m : reach;
    }
    return ! (reach * sincTapBound <= s.ceiling.gain);
}

// Measures n < shortSegment samples, x[0..n), but for the peak's place, in
// vectors over a fixed shortSegment (the ring has that much room past its
// end), the ones past n counted as 0: no branch on the length.
HWY_INLINE void measureShort (const double* HWY_RESTRICT x, int n, RunMeasure* out)
{
    const hn::ScalableTag<double> d;
    static_assert (hn::MaxLanes (hn::ScalableTag<double>()) <= shortSegment);
    const int lanes = (int) hn::Lanes (d);
    auto sum = hn::Zero (d), top = hn::Zero (d);
    auto zeros = hn::Eq (sum, hn::Set (d, 1.0));
    for (int k = 0; k < shortSegment; k += lanes)
    {
        const auto inside = hn::FirstN (d, (size_t) std::max (n - k, 0));
        const auto value = hn::IfThenElseZero (inside, hn::LoadU (d, x + k));
        const auto a = hn::Abs (value);
        top = hn::Max (top, hn::IfThenElseZero (hn::Eq (a, a), a)); // NaN counts as 0
        sum = hn::MulAdd (value, value, sum);
        zeros = hn::Or (zeros, hn::And (inside, hn::Eq (value, hn::Zero (d))));
    }
    out->peak = hn::GetLane (hn::MaxOfLanes (d, top));
    out->sumSq = hn::GetLane (hn::SumOfLanes (d, sum));
    out->hasZero = ! hn::AllFalse (d, zeros);
}

// The place q before the peak p of a segment of one run, where its
// estimates could count; else q is its first position.
HWY_INLINE void placeBefore (const double* HWY_RESTRICT ring, int length, ClosedSegment& s)
{
    s.beforeAt = s.first;
    if (! mayEstimate (ring, length, s))
        return;
    RunMeasure before;
    measure (ring + s.first, s.peakAt - s.first, &before);
    if (before.peak > 0.0)
        s.beforeAt = s.first + before.peakAt;
}

// The places of a segment's peak and of the one before it, where measureSegment
// left them unknown.
HWY_INLINE void placeSegment (const double* HWY_RESTRICT ring, int length, ClosedSegment& s)
{
    if (s.peakAt >= 0)
        return;
    s.peakAt = s.first + (s.peak > 0.0 ? placeOf (ring + s.first, s.count, s.peak) : 0);
    placeBefore (ring, length, s);
}

// The peak p and its place, the place q before it (where the estimates
// could count), the sum of squares and the zeros of a segment, over its one
// or two runs. With `placeLater`, a segment of one run is measured without
// the places of its peak and of the one before, which placeSegment finds.
HWY_INLINE void measureSegment (const double* HWY_RESTRICT ring, int length, ClosedSegment& s, bool placeLater = false)
{
    const int first = s.first, end = s.end;
    RunMeasure a, b; // the run from first, and the one from 0 if the segment wraps
    if (placeLater && first < end)
    {
        if (end - first < shortSegment)
            measureShort (ring + first, end - first, &a);
        else
            measure (ring + first, end - first, &a, false);
        s.count = end - first;
        s.peak = a.peak;
        s.sumSq = a.sumSq;
        s.hasZero = a.hasZero;
        s.peakAt = -1;
        return;
    }

    if (first < end && end - first < shortSegment)
    {
        // One by one, keeping the place the peak held before it last moved;
        // always shortSegment samples (the ring has that much room past its
        // end), the ones past the segment counted as 0, so the loop's end is
        // never mispredicted.
        const int n = end - first;
        int before = 0, zeros = 0;
        for (int k = 0; k < shortSegment; ++k)
        {
            const double stored = ring[first + k];
            const double x = k < n ? stored : 0.0;
            const double magnitude = std::abs (x);
            const bool rises = magnitude > a.peak;
            before = rises ? a.peakAt : before;
            a.peakAt = rises ? k : a.peakAt;
            a.peak = rises ? magnitude : a.peak;
            a.sumSq += x * x;
            zeros += x == 0.0 ? 1 : 0;
        }
        a.hasZero = zeros > shortSegment - n; // past the segment, every x counts as 0
        s.count = end - first;
        s.peakAt = first + a.peakAt;
        s.beforeAt = first + before;
        s.peak = a.peak;
        s.sumSq = a.sumSq;
        s.hasZero = a.hasZero;
        return;
    }

    const int firstEnd = first <= end ? end : length;
    measure (ring + first, firstEnd - first, &a);
    s.count = firstEnd - first;
    if (first > end && end > 0)
    {
        measure (ring, end, &b);
        s.count += end;
    }
    const bool peakInFirst = a.peak >= b.peak;
    s.peakAt = peakInFirst ? first + a.peakAt : b.peakAt;
    s.peak = peakInFirst ? a.peak : b.peak;
    s.sumSq = a.sumSq + b.sumSq;
    s.hasZero = a.hasZero || b.hasZero;

    // The place q only counts in the estimates; where they cannot, the
    // second pass is spared.
    s.beforeAt = first;
    if (! mayEstimate (ring, length, s))
        return;
    RunMeasure before;
    measure (peakInFirst ? ring + first : ring, peakInFirst ? a.peakAt : b.peakAt, &before);
    if (! peakInFirst && a.peak >= before.peak && a.peak > 0.0)
        s.beforeAt = first + a.peakAt;
    else if (before.peak > 0.0)
        s.beforeAt = (peakInFirst ? first : 0) + before.peakAt;
}

// Crest and release time of a segment from its peak, sum of squares and
// count, lane by lane. Non-finite input makes the crest meaningless; it
// releases as slowly as a flat segment rather than carry a NaN into the
// coefficient cache.
template <class D, class V>
HWY_INLINE V releaseTimes (D d, V peak, V sumSq, V count)
{
    const auto tiny = hn::Set (d, 0.00001), flat = hn::Set (d, 100.0);
    const auto rmsE = hn::Add (hn::Sqrt (hn::Div (sumSq, count)), tiny);
    const auto peakE = hn::Add (peak, tiny);
    const auto crestMs = hn::IfThenElse (hn::Gt (rmsE, peakE), flat, hn::MulAdd (hn::Div (rmsE, peakE), hn::Set (d, 99.99), hn::Set (d, 0.01)));
    return hn::IfThenElse (hn::IsFinite (crestMs), crestMs, flat);
}

// Most segments of quiet or released material lie below the knee with
// estimates that cannot reach the ceiling: the reduction only relaxes, and
// the judgement needs no more than the measures. The taps' bound takes, for
// the two after the peak, the two after the end, which no tap inside the
// segment exceeds. Judges such a measured segment as the lanes would, to
// the bit, and says whether it was one.
HWY_INLINE bool judgeReleaseOnly (const double* HWY_RESTRICT ring, int length, ClosedSegment& s)
{
    double reach = s.peak;
    for (const double tap : { ring[s.first == 0 ? length - 1 : s.first - 1], ring[s.end], s.after })
    {
        const double m = std::abs (tap);
        reach = m > reach ? m : reach;
    }
    if (! (reach * sincTapBound <= s.ceiling.gain && s.peak + 0.00001 < s.ceiling.quietBelow))
        return false;

    const hn::CappedTag<double, 1> d;
    s.peakAt = s.beforeAt = s.first; // not sought: no estimate needs them
    s.detector = s.peak + 0.00001;
    s.detectorDb = 0.0; // not needed to gain it; its curve point is taken only if it stays the last
    s.releaseMs = hn::GetLane (releaseTimes (d, hn::Set (d, s.peak), hn::Set (d, s.sumSq), hn::Set (d, (double) s.count)));
    return true;
}

// Judges up to one vector of measured segments, one to a lane; each lane
// comes out the same whatever the vector's width.
template <class D>
HWY_INLINE void judgeLanes (D d, const double* HWY_RESTRICT ring, int length, ClosedSegment* const* segments, int n)
{
    constexpr size_t maxLanes = hn::MaxLanes (D());
    const int lanes = (int) hn::Lanes (d);
    const auto previousPosition = [length] (int c)
    { return c == 0 ? length - 1 : c - 1; };
    const auto wrap = [length] (int c)
    { return c >= length ? c - length : c; };

    // Each lane's taps: every one lies in the segment, is the sample before
    // it or one of the two after p; the second after the segment's end is
    // read as it stood when the segment closed.
    HWY_ALIGN double taps[9][maxLanes];
    HWY_ALIGN double peak[maxLanes], sumSq[maxLanes], count[maxLanes], ceiling[maxLanes];
    for (int l = 0; l < lanes; ++l)
    {
        const ClosedSegment& s = *segments[l < n ? l : 0];
        const int p = s.peakAt, q = s.beforeAt; // q <= p
        if (s.first > 0 && s.first < s.end && p + 2 <= s.end)
        {
            // Most often: no tap wraps or reads past the end.
            const int at[9] = { s.first - 1, p - 1, p, p + 1, p + 2, q - 1, q, q + 1, q + 2 };
            for (int t = 0; t < 9; ++t)
                taps[t][l] = ring[at[t]];
        }
        else
        {
            const int afterAt = wrap (s.end + 1);
            const auto tap = [&] (int c)
            { return c == afterAt ? s.after : ring[c]; };
            const int at[9] = { previousPosition (s.first), previousPosition (p), p, wrap (p + 1), wrap (p + 2),
                                previousPosition (q), q, wrap (q + 1), wrap (q + 2) };
            for (int t = 0; t < 9; ++t)
                taps[t][l] = tap (at[t]);
        }
        peak[l] = s.peak;
        sumSq[l] = s.sumSq;
        count[l] = (double) s.count;
        ceiling[l] = s.ceiling.gain;
    }
    const auto load = [&] (const double* x)
    { return hn::Load (d, x); };
    const auto peakV = load (peak), ceilingV = load (ceiling);

    // Where no tap could lift an estimate over the ceiling, the estimates
    // (which would be discarded) count as 0. A NaN tap adds no reach.
    auto reach = peakV;
    for (const int t : { 0, 3, 4 })
    {
        const auto m = hn::Abs (load (taps[t]));
        reach = hn::IfThenElse (hn::Gt (m, reach), m, reach);
    }
    const auto estimated = hn::Not (hn::Le (hn::Mul (reach, hn::Set (d, sincTapBound)), ceilingV));
    const auto truePeak = hn::IfThenElseZero (estimated, sincPeaks (d, load (taps[1]), load (taps[2]), load (taps[3]), load (taps[4]),
                                                                    load (taps[5]), load (taps[6]), load (taps[7]), load (taps[8])));

    const auto releaseMs = releaseTimes (d, peakV, load (sumSq), load (count));
    const auto peakE = hn::Add (peakV, hn::Set (d, 0.00001));

    // An estimate counts only above the ceiling.
    const auto counted = hn::IfThenElseZero (hn::Gt (truePeak, ceilingV), truePeak);
    const auto detector = hn::IfThenElse (hn::Gt (counted, peakE), counted, peakE);
    const auto infinity = hn::Set (d, std::numeric_limits<double>::infinity());
    const auto detectorDb = hn::IfThenElse (hn::Lt (detector, infinity), hn::Mul (hn::Set (d, gainLaw::dbPerNeper), hn::Log (d, detector)), infinity);

    HWY_ALIGN double out[3][maxLanes];
    hn::Store (detector, d, out[0]);
    hn::Store (detectorDb, d, out[1]);
    hn::Store (releaseMs, d, out[2]);
    for (int l = 0; l < n; ++l)
    {
        ClosedSegment& s = *segments[l];
        s.detector = out[0][l];
        s.detectorDb = out[1][l];
        s.releaseMs = out[2][l];
    }
}

// A segment whose candidate is its first sample reads the sample before it,
// the last of the segment before; where that one waits in the same call, it
// is judged later, once that segment has been gained.
void judgeAll (const double* HWY_RESTRICT ring, int length, ClosedSegment* const* segments, int n)
{
    const hn::ScalableTag<double> d;
    const int lanes = (int) hn::Lanes (d);
    ClosedSegment* measured[hn::MaxLanes (d)];
    int judged = 0;
    for (int i = 0; i < n; ++i)
    {
        ClosedSegment& s = *segments[i];
        // Whether it could be judged alone, by what follows it: the same
        // however the frames came, so that it is measured the same way.
        const bool mayReleaseOnly = std::abs (ring[s.end]) * sincTapBound <= s.ceiling.gain && std::abs (s.after) * sincTapBound <= s.ceiling.gain;
        measureSegment (ring, length, s, mayReleaseOnly);
        s.releasesOnly = mayReleaseOnly && s.count > 0 && judgeReleaseOnly (ring, length, s);
        if (! s.releasesOnly)
            placeSegment (ring, length, s);
        // Judged late: where its estimates may read the last sample of the
        // segment before, or where too few wait to fill half the lanes.
        s.chained = ! s.releasesOnly && i > 0 && (s.peakAt == s.first || s.beforeAt == s.first) && mayEstimate (ring, length, s);
        s.late = ! s.releasesOnly && (n <= lanes / 2 || s.chained);
        if (s.count > 0 && ! s.releasesOnly && ! s.late)
            measured[judged++] = &s;
        if (judged == lanes || (i + 1 == n && judged > 0))
        {
            judgeLanes (d, ring, length, measured, judged);
            judged = 0;
        }
    }
}

// The judgement of a measured segment marked late, once the one before it
// has its gain: the same arithmetic as judgeLanes, lane for lane, so the
// same bits.
HWY_INLINE void judgeOneLate (const double* HWY_RESTRICT ring, int length, ClosedSegment* segment)
{
    ClosedSegment& s = *segment;
    const auto previousPosition = [length] (int c)
    { return c == 0 ? length - 1 : c - 1; };
    const auto wrap = [length] (int c)
    { return c >= length ? c - length : c; };
    const int p = s.peakAt, q = s.beforeAt;
    double truePeak = 0.0;
    if (s.chained || mayEstimate (ring, length, s))
    {
        // Most often every tap lies inside the ring and before the sample
        // two past the end, which later frames overwrote.
        const int low = p < q ? p : q, high = p < q ? q : p;
        if (low > 0 && high + 2 <= s.end)
            truePeak = sincPeakOne (ring[p - 1], ring[p], ring[p + 1], ring[p + 2], ring[q - 1], ring[q], ring[q + 1], ring[q + 2]);
        else
        {
            const int afterAt = wrap (s.end + 1);
            const auto tap = [&] (int c)
            { return c == afterAt ? s.after : ring[c]; };
            truePeak = sincPeakOne (tap (previousPosition (p)), ring[p], tap (wrap (p + 1)), tap (wrap (p + 2)),
                                    tap (previousPosition (q)), ring[q], tap (wrap (q + 1)), tap (wrap (q + 2)));
        }
    }
    const double peakE = s.peak + 0.00001;
    const double counted = truePeak > s.ceiling.gain ? truePeak : 0.0;
    s.detector = counted > peakE ? counted : peakE;
    const hn::CappedTag<double, 1> d;
    s.releaseMs = hn::GetLane (releaseTimes (d, hn::Set (d, s.peak), hn::Set (d, s.sumSq), hn::Set (d, (double) s.count)));
    s.detectorDb = s.detector < std::numeric_limits<double>::infinity()
                       ? gainLaw::dbPerNeper * hn::GetLane (hn::Log (d, hn::Set (d, s.detector)))
                       : std::numeric_limits<double>::infinity();
}

double decibels (double detector)
{
    const hn::CappedTag<double, 1> d;
    return gainLaw::dbPerNeper * hn::GetLane (hn::Log (d, hn::Set (d, detector)));
}

HWY_INLINE void gain (double* HWY_RESTRICT ring, int length, const ClosedSegment* segment, double rate, ReleaseStage* stage)
{
    using namespace gainLaw;
    const ClosedSegment& s = *segment;
    const CurvePoint live = s.releasesOnly ? CurvePoint {} : staticCurve (flush (s.detectorDb), s.ceiling.thresholdDb, engineRatio, engineKneeDb);
    const CurvePoint& zero = s.ceiling.silent;
    const bool zerosApart = s.hasZero && ! (zero.reductionDb == live.reductionDb);
    const bool lastIsZero = ring[s.end == 0 ? length - 1 : s.end - 1] == 0.0;

    if (! (stage->timeMs == s.releaseMs && stage->rate == rate))
        stage->coefficient = timeCoefficient (rate, s.releaseMs);
    stage->timeMs = s.releaseMs;
    stage->rate = rate;
    const double r = stage->coefficient;

    double held = flush (stage->heldDb);
    HeldGain hold = stage->hold;
    const auto gainRun = [&] (int from, int to)
    {
        // Alternate runs of non-zero samples and of zeros (silence after a
        // sound, say), each run with its point of the curve.
        for (int i = from; i < to;)
        {
            int k = zerosApart ? i : to;
            while (k < to && ring[k] != 0.0)
                ++k;
            held = releaseGain (ring + i, k - i, held, live.reductionDb, r, hold);
            int z = k;
            while (z < to && ring[z] == 0.0)
                ++z;
            held = releaseGain (ring + k, z - k, held, zero.reductionDb, r, hold);
            i = z;
        }
    };
    if (! zerosApart && s.first < s.end)
        held = releaseGain (ring + s.first, s.end - s.first, held, live.reductionDb, r, hold); // most segments: one run
    else
    {
        gainRun (s.first, s.first <= s.end ? s.end : length);
        if (s.first > s.end && s.end > 0)
            gainRun (0, s.end);
    }

    stage->heldDb = held;
    stage->hold = hold;
    stage->curveDb = lastIsZero ? zero.curveDb : live.curveDb;
    stage->curveOf = s.releasesOnly && ! lastIsZero ? s.detector : 0.0;
}

void judgeWaiting (const double* HWY_RESTRICT ring, int length, ClosedSegment* segment) { judgeOneLate (ring, length, segment); }

void gainAll (double* const* rings, int length, ClosedSegment* segments, int count, double rate, ReleaseStage* stages)
{
    for (int i = 0; i < count; ++i)
    {
        ClosedSegment& s = segments[i];
        if (s.count == 0)
            continue;
        double* const ring = rings[s.channel];
        if (s.late)
            judgeOneLate (ring, length, &s);
        gain (ring, length, &s, rate, &stages[s.channel]);
    }
}
} // namespace tolvo::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace tolvo
{
HWY_EXPORT (judgeAll);
HWY_EXPORT (judgeWaiting);
HWY_EXPORT (gainAll);
HWY_EXPORT (decibels);
HWY_EXPORT (sincPeak);
} // namespace tolvo
using namespace tolvo;

void judgeSegments (const double* ring, int length, ClosedSegment* const* segments, int count) noexcept
{
    HWY_DYNAMIC_DISPATCH (judgeAll)
    (ring, length, segments, count);
}

void judgeLate (const double* ring, int length, ClosedSegment& segment) noexcept
{
    HWY_DYNAMIC_DISPATCH (judgeWaiting)
    (ring, length, &segment);
}

void gainSegments (double* const* rings, int length, ClosedSegment* segments, int count, double rate, ReleaseStage* stages) noexcept
{
    HWY_DYNAMIC_DISPATCH (gainAll)
    (rings, length, segments, count, rate, stages);
}

double detectorDecibels (double detector) noexcept
{
    return HWY_DYNAMIC_DISPATCH (decibels) (detector);
}

double sincPeakOfTwo (double a1, double a2, double a3, double a4, double b1, double b2, double b3, double b4) noexcept
{
    return HWY_DYNAMIC_DISPATCH (sincPeak) (a1, a2, a3, a4, b1, b2, b3, b4);
}
#endif
