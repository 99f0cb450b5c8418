#pragma once

// The pieces of the gain law that both the engine and its segment kernels
// evaluate: the engine's fixed settings, the static curve and the release
// coefficient. Inline, so each instruction set's kernel compiles its own.

#include <cmath>
#include <initializer_list>

namespace gainLaw
{
// The engine's fixed gain-computer settings: a brick wall at the threshold.
inline constexpr double engineRatio = 10000.0;
inline constexpr double engineAttackMs = 0.00001;
inline constexpr double engineKneeDb = 0.1;

inline constexpr double dbPerNeper = 8.68588963806503655302; // 20 / ln 10
inline constexpr double gainPerDb = 0.1151292546497022842; // ln 10 / 20

/** Zero, subnormal, infinite and NaN all become 0. */
inline double flush (double v) noexcept { return std::isnormal (v) ? v : 0.0; }

/** exp(x), and for |x| <= 1/16 (every release time over 0.33 ms at 48 kHz)
    as 1 + x q(x), q(x) = 1 + x/2 + ... + x^9/10!: the sum is good to some
    1e-18, so the result is exp(x) correctly rounded but for sums within
    that of a halfway point, where it is one ulp off. q is summed in pairs
    of terms, then pairs of pairs (Estrin's scheme): a few steps deep rather
    than ten, as it lies on the path from a segment's crest to its gains.
    The C library's exp costs 25 times as much in MinGW's runtime. */
inline double expNearZero (double x) noexcept
{
    if (! (std::abs (x) <= 1.0 / 16.0))
        return std::exp (x);
    const double x2 = x * x, x4 = x2 * x2, x8 = x4 * x4;
    const double p0 = 1.0 + x * 0.5, p1 = 1.0 / 6.0 + x * (1.0 / 24.0), p2 = 1.0 / 120.0 + x * (1.0 / 720.0);
    const double p3 = 1.0 / 5040.0 + x * (1.0 / 40320.0), p4 = 1.0 / 362880.0 + x * (1.0 / 3628800.0);
    const double q = (p0 + x2 * p1) + x4 * (p2 + x2 * p3) + x8 * p4;
    return 1.0 + x * q;
}

/** The exponent -1000 / (rate * ms) of a time constant's coefficient. */
inline double timeExponent (double sampleRate, double ms) noexcept { return -1000.0 / (sampleRate * ms); }

/** A time constant's coefficient per sample, exp(-1000 / (rate * ms)). */
inline double timeCoefficient (double sampleRate, double ms) noexcept { return expNearZero (timeExponent (sampleRate, ms)); }

/** One point of the gain computer's static curve with its soft knee. */
struct CurvePoint
{
    double curveDb = 0.0; // yG
    double reductionDb = 0.0; // xL = xG - yG
    bool doublesAttack = false; // in the knee's middle: doubled attack while the curve rises
};

/** The static curve at `levelDb` for a threshold, ratio and knee. */
inline CurvePoint staticCurve (double levelDb, double thresholdDb, double ratio, double kneeDb) noexcept
{
    const double W = kneeDb + 0.01;
    const double S = 1.0 / ratio - 1.0;
    const double d = levelDb - thresholdDb;

    CurvePoint point;
    if (2.0 * d < -W)
    {
        point.curveDb = levelDb;
    }
    else if (2.0 * std::abs (d) <= W)
    {
        point.curveDb = flush (S * (d + W / 2.0) * (d + W / 2.0) / (2.0 * W) + levelDb);
        point.doublesAttack = 2.0 * std::abs (d) <= 1.8;
    }
    else
    {
        point.curveDb = flush (thresholdDb + d / ratio);
    }
    point.reductionDb = levelDb - point.curveDb;
    return point;
}
} // namespace gainLaw
