#include "limiter/LimiterEngine.h"

#include <cmath>

namespace
{
// The engine's fixed gain-computer settings: a brick wall at the threshold.
constexpr double engineRatio = 10000.0;
constexpr double engineAttackMs = 0.00001;
constexpr double engineKneeDb = 0.1;

// Zero, subnormal, infinite and NaN all become 0.
double flush (double v) noexcept
{
    return std::isnormal (v) ? v : 0.0;
}

// The larger of two values, a NaN operand ignored, as fmax gives it.
double larger (double x, double y) noexcept
{
    if (std::isnan (x))
        return y;

    if (std::isnan (y))
        return x;

    return x > y ? x : y;
}

double timeCoefficient (double sampleRate, double ms) noexcept
{
    return std::exp (-1000.0 / (sampleRate * ms));
}

double levelToDb (double level) noexcept
{
    return 20.0 * std::log10 (level);
}

double dbToGain (double db) noexcept
{
    return std::exp (std::log (10.0) * db / 20.0);
}

// The gain a smoothed reduction gives; never above 1 while the ratio is at least 1.
double reductionToGain (double reductionDb, double ratio) noexcept
{
    double g = std::exp (std::log (10.0) * (-reductionDb / 20.0));

    if (! (g < 1.0) && ! (ratio < 1.0))
        g = 1.0;

    return g;
}

} // namespace

// One point of the static curve with its soft knee.
LimiterEngine::CurvePoint LimiterEngine::staticCurve (double levelDb, double thresholdDb, double ratio, double kneeDb) noexcept
{
    const double W = kneeDb + 0.01;
    const double S = 1.0 / ratio - 1.0;
    const double d = levelDb - thresholdDb;

    CurvePoint point;
    point.levelDb = levelDb;

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

void LimiterEngine::setLookahead (int numSamples)
{
    length = numSamples > 0 ? numSamples : 0;
    writePosition = 0;
    previousLeft = previousRight = 0.0;

    // Free first, so the old and new rings never coexist.
    std::vector<double>().swap (bufferLeft);
    std::vector<double>().swap (bufferRight);
    bufferLeft.assign ((size_t) length, 0.0);
    bufferRight.assign ((size_t) length, 0.0);

    for (int ch = 0; ch < 2; ++ch)
    {
        smoothedReductionDb[ch] = heldReductionDb[ch] = previousCurveDb[ch] = 0.0;
        attackTimeMs[ch] = releaseTimeMs[ch] = 0.0;
        attackCoefficient[ch] = releaseCoefficient[ch] = 0.0;
        coefficientSampleRate[ch] = 0.0;
    }
    // The segment starts survive on purpose: the first segment after a
    // re-size runs from the old start.
}

void LimiterEngine::setRate (double sampleRate) noexcept
{
    rate = sampleRate;

    // Kept in double: the truncated 0.1 ms in samples, compared without an
    // integer conversion that a nonsense rate could overflow.
    minimumSegment = std::trunc (sampleRate * 0.1 / 1000.0);
}

double LimiterEngine::ceilingFor (double levelDb) noexcept
{
    if (! (levelDb == ceilingLevelDb))
    {
        ceilingLevelDb = levelDb;
        ceiling = dbToGain (levelDb);
    }

    return ceiling;
}

// Calls visit(j) for the segment's positions in order: from `first` forward,
// wrapping from the end of the ring to 0, up to but not including the write
// position.
template <typename Visit>
void LimiterEngine::walkSegment (int first, Visit&& visit) const noexcept
{
    const int end = writePosition;
    int j = first;

    // In plain runs: up to the write position, or to the ring's end and on
    // from where the ring wraps.
    while (j != end)
    {
        const int stop = j < end ? end : length;

        for (; j < stop - 1; ++j)
            visit (j);

        visit (j);
        j = nextPosition (j);
    }
}

void LimiterEngine::processSegment (int channel, double* ring, int start, double sampleRate, double levelDb) noexcept
{
    const int first = (start >= length || start < 0) ? 0 : start;

    // Both peak candidates start inside the segment, so a half-wave that
    // opens on its peak is never judged by unrelated audio elsewhere in the ring.
    double peak = 0.0;
    int p = first;
    int q = first;
    int n = 0;
    double sumSq = 0.0;

    walkSegment (first, [&] (int j)
                 {
                     const double x = ring[j];
                     const double a = std::abs (x);

                     if (a > peak)
                     {
                         q = p;
                         p = j;
                         peak = a;
                     }

                     ++n;
                     sumSq += x * x; });

    if (n == 0)
        return;

    const double rms = std::sqrt (sumSq / n);

    sinc.build (sampleRate);
    const double tpP = interpolatedPeak (ring, p, sampleRate);
    const double tpQ = q == p ? tpP : interpolatedPeak (ring, q, sampleRate);
    double truePeak = tpP > tpQ ? tpP : tpQ;

    const double rmsE = rms + 0.00001;
    const double peakE = peak + 0.00001;
    double releaseMs = rmsE > peakE ? 100.0 : rmsE / peakE * 99.99 + 0.01;

    // Non-finite input makes the crest meaningless; release as slowly as a
    // flat segment rather than carry a NaN into the coefficient cache.
    if (! std::isfinite (releaseMs))
        releaseMs = 100.0;

    if (! (truePeak > ceilingFor (levelDb)))
        truePeak = 0.000001;

    const double detector = truePeak > peakE ? truePeak : peakE;

    runGainOverSegment (channel, ring, first, detector, sampleRate, levelDb, releaseMs);
}

double LimiterEngine::attackCoefficientFor (int channel, double sampleRate, double attackMs) noexcept
{
    const double a = (attackTimeMs[channel] == attackMs && coefficientSampleRate[channel] == sampleRate)
                         ? attackCoefficient[channel]
                         : timeCoefficient (sampleRate, attackMs);
    attackTimeMs[channel] = attackMs;
    attackCoefficient[channel] = a;
    return a;
}

double LimiterEngine::releaseCoefficientFor (int channel, double sampleRate, double releaseMs) noexcept
{
    const double r = (releaseTimeMs[channel] == releaseMs && coefficientSampleRate[channel] == sampleRate)
                         ? releaseCoefficient[channel]
                         : timeCoefficient (sampleRate, releaseMs);
    releaseTimeMs[channel] = releaseMs;
    releaseCoefficient[channel] = r;
    return r;
}

// applyGainComputer over every sample of a segment, with the engine's fixed
// settings. Within a segment the detector level, the rate, the times and so
// both coefficients and the static curve of every non-zero sample are the
// same; only the reduction state moves. The arithmetic per sample is that of
// applyGainComputer, so the results are the same to the bit.
void LimiterEngine::runGainOverSegment (int channel, double* ring, int first, double detector, double sampleRate,
                                        double levelDb, double releaseMs) noexcept
{
    // Every sample of the segment is at most its peak, which the detector
    // exceeds, so the level of any non-zero sample is the detector's.
    const double threshold = flush (levelDb);
    const CurvePoint live = staticCurve (flush (levelToDb (detector)), threshold, engineRatio, engineKneeDb);
    const CurvePoint zero = staticCurve (-160.0, threshold, engineRatio, engineKneeDb);

    const double a = attackCoefficientFor (channel, sampleRate, engineAttackMs);
    const double r = releaseCoefficientFor (channel, sampleRate, releaseMs);
    coefficientSampleRate[channel] = sampleRate;

    const bool anyDoubling = live.doublesAttack || zero.doublesAttack;
    const double doubled = anyDoubling ? timeCoefficient (sampleRate, engineAttackMs + engineAttackMs) : 0.0;

    const double liveRelease = (1.0 - r) * live.reductionDb;
    const double zeroRelease = (1.0 - r) * zero.reductionDb;

    if (a == 0.0 && doubled == 0.0)
    {
        runReleaseOnlyOverSegment (channel, ring, first, live, zero, r);
        return;
    }

    double held = flush (heldReductionDb[channel]);
    double smoothed = flush (smoothedReductionDb[channel]);
    double previousCurve = previousCurveDb[channel];

    // The gain is a function of the smoothed reduction alone: while that
    // stays, so does the gain.
    double gainKey = std::numeric_limits<double>::quiet_NaN();
    double gain = 1.0;

    // Once a non-zero sample leaves the whole state as it found it, every
    // further non-zero sample does the same: only the multiply is left.
    bool steady = false;

    walkSegment (first, [&] (int j)
                 {
                     const double x = ring[j];
                     const bool isZero = x == 0.0;

                     if (steady && ! isZero)
                     {
                         ring[j] = gain * x;
                         return;
                     }

                     const CurvePoint& point = isZero ? zero : live;
                     const double releaseBase = isZero ? zeroRelease : liveRelease;
                     const double attack = point.doublesAttack && point.curveDb >= previousCurve ? doubled : a;

                     double y1 = larger (point.reductionDb, releaseBase + r * held);
                     double yL = (1.0 - attack) * y1 + attack * smoothed;
                     y1 = flush (y1);
                     yL = flush (yL);

                     if (! (yL == gainKey))
                     {
                         gainKey = yL;
                         gain = reductionToGain (yL, engineRatio);
                     }

                     ring[j] = gain * x;

                     steady = ! isZero && y1 == held && yL == smoothed && point.curveDb == previousCurve;
                     held = y1;
                     smoothed = yL;
                     previousCurve = point.curveDb; });

    heldReductionDb[channel] = held;
    smoothedReductionDb[channel] = smoothed;
    previousCurveDb[channel] = previousCurve;
}

// The same when the attack coefficient is exactly 0, as it is at 44.1, 48
// and (outside the knee) 96 kHz: the smoothed reduction is then (1 - 0) * y1
// + 0 * s, which is y1 itself, and only the release recurrence is left.
void LimiterEngine::runReleaseOnlyOverSegment (int channel, double* ring, int first, const CurvePoint& live,
                                               const CurvePoint& zero, double r) noexcept
{
    const double liveRelease = (1.0 - r) * live.reductionDb;
    const double zeroRelease = (1.0 - r) * zero.reductionDb;
    double held = flush (heldReductionDb[channel]);
    double gainKey = std::numeric_limits<double>::quiet_NaN();
    double gain = 1.0;
    bool lastWasZero = false;

    walkSegment (first, [&] (int j)
                 {
                     const double x = ring[j];
                     lastWasZero = x == 0.0;

                     // The reduction is never NaN, so the larger of the two
                     // needs no NaN test of its own; equal values are equal
                     // after the flush.
                     const double reduction = lastWasZero ? zero.reductionDb : live.reductionDb;
                     const double released = (lastWasZero ? zeroRelease : liveRelease) + r * held;
                     const double y1 = flush (released > reduction ? released : reduction);

                     if (! (y1 == gainKey))
                     {
                         gainKey = y1;
                         gain = reductionToGain (y1, engineRatio);
                     }

                     ring[j] = gain * x;
                     held = y1; });

    heldReductionDb[channel] = held;
    smoothedReductionDb[channel] = held;
    previousCurveDb[channel] = lastWasZero ? zero.curveDb : live.curveDb;
}

double LimiterEngine::interpolatedPeak (const double* ring, int c, double sampleRate) const noexcept
{
    const double x1 = ring[c == 0 ? length - 1 : c - 1];
    const double x2 = ring[c];
    const double x3 = ring[c + 1 >= length ? c + 1 - length : c + 1];
    const double x4 = ring[c + 2 >= length ? c + 2 - length : c + 2];

    if (sinc.isBuiltFor (sampleRate))
        return sinc.peak (x1, x2, x3, x4);

    SincTable table;
    table.build (sampleRate);
    return table.peak (x1, x2, x3, x4);
}

double LimiterEngine::applyGainComputer (int channel, double sample, double detectorLevel, double sampleRate,
                                         double inputGain, double outputGain, double thresholdDb, double ratio,
                                         double attackMs, double releaseMs, double kneeDb) noexcept
{
    // Exponentials only when a time or the rate moves: once per segment.
    double a = attackCoefficientFor (channel, sampleRate, attackMs);
    const double r = releaseCoefficientFor (channel, sampleRate, releaseMs);
    coefficientSampleRate[channel] = sampleRate;

    const double xs = sample * inputGain;
    const double xG = xs == 0.0 ? -160.0 : levelToDb (std::fmax (std::abs (detectorLevel), std::abs (xs)));
    const CurvePoint point = staticCurve (flush (xG), flush (thresholdDb), ratio, kneeDb);

    // A rising curve inside the knee gets twice the attack time, for this
    // sample only.
    if (point.doublesAttack && point.curveDb >= previousCurveDb[channel])
        a = timeCoefficient (sampleRate, attackMs + attackMs);

    const double h = flush (heldReductionDb[channel]);
    const double s = flush (smoothedReductionDb[channel]);

    double y1 = larger (point.reductionDb, (1.0 - r) * point.reductionDb + r * h);
    double yL = (1.0 - a) * y1 + a * s;
    y1 = flush (y1);
    yL = flush (yL);

    heldReductionDb[channel] = y1;
    smoothedReductionDb[channel] = yL;
    previousCurveDb[channel] = point.curveDb;

    return (reductionToGain (yL, ratio) * outputGain) * xs;
}
