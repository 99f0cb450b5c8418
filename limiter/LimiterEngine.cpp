// How the engine spends its time. The frame loop (LimiterEngine.h) only
// stores, puts out and looks for crossings; all other work happens where a
// segment closes (closeSegments, the one place), on the whole segment at once:
//   1. measure it: peak and its first place, sum of squares, zeros, and the
//      place the peak held before (short segments here, one by one; longer
//      ones in the vector kernel, which the stores have drained for);
//   2. judge it: the crest gives the release time, and the two sinc
//      estimates (one vector kernel) count only where a bound on their taps
//      says they could pass the ceiling;
//   3. gain it: one point of the static curve for every sample (all share the
//      detector level), and the held reduction's release toward it in closed
//      form, vectorised (SegmentKernels).
// On noisy or high material three in four segments are 4 to 7 samples long,
// so these fixed costs per segment weigh as much as the samples do.

#include "limiter/LimiterEngine.h"

#include "limiter/SegmentKernels.h"

namespace
{
// The engine's fixed gain-computer settings: a brick wall at the threshold.
constexpr double engineRatio = 10000.0;
constexpr double engineAttackMs = 0.00001;
constexpr double engineKneeDb = 0.1;

// The attack stage moves the reduction by a * (s - y), a = exp(-1000 /
// (rate * attack)), doubled attack included. No reduction reaches 13000 dB
// (20 log10 of the largest double is 6165), so where a is at most 1e-20 the
// move stays below 1.3e-16 dB, 1.5e-17 of the gain, and the stage is left
// out: up to about 1.09 MHz. Faster rates take the general law.
constexpr double negligibleAttack = 1e-20;

// Segments shorter than this, not wrapping round the ring, are measured
// without the vector kernel's call (three in four on noisy material).
constexpr int shortSegment = 8;

constexpr double pi = 3.14159265358979323846;
constexpr double dbPerNeper = 8.68588963806503655302; // 20 / ln 10: glibc's log is faster than its log10

// No estimate exceeds its largest tap times the weights' summed magnitude,
// at most 16 / 3 pi (at t = 2.5); with room for rounding.
constexpr double sincTapBound = 16.0 / (3.0 * pi) * (1.0 + 1e-9);

// Zero, subnormal, infinite and NaN all become 0.
double flush (double v) noexcept { return std::isnormal (v) ? v : 0.0; }

// exp(x), and for |x| <= 1/16 (every release time over 0.33 ms at 48 kHz) as
// 1 + (x + x^2/2 + ... + x^10/10!): the sum is good to some 1e-18, so the
// result is exp(x) correctly rounded but for sums within that of a halfway
// point, where it is one ulp off. The C library's exp costs 25 times as much
// in MinGW's runtime.
double expNearZero (double x) noexcept
{
    if (! (std::abs (x) <= 1.0 / 16.0))
        return std::exp (x);
    double sum = 1.0 / 3628800.0;
    for (const double c : { 1.0 / 362880.0, 1.0 / 40320.0, 1.0 / 5040.0, 1.0 / 720.0, 1.0 / 120.0, 1.0 / 24.0, 1.0 / 6.0, 0.5, 1.0 })
        sum = sum * x + c;
    return 1.0 + sum * x;
}

double timeCoefficient (double sampleRate, double ms) noexcept { return expNearZero (-1000.0 / (sampleRate * ms)); }

} // namespace

LimiterEngine::CurvePoint LimiterEngine::staticCurve (double levelDb, double thresholdDb, double ratio, double kneeDb) noexcept
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

void LimiterEngine::setLookahead (int numSamples)
{
    length = numSamples > 0 ? numSamples : 0;
    writePosition = 0;
    framesTaken = 0;

    // Free first, so the old and new rings never coexist.
    for (auto& ring : rings)
        std::vector<double>().swap (ring);

    for (int ch = 0; ch < 2; ++ch)
    {
        rings[ch].assign ((size_t) length + releasePadding, 0.0);
        previous[ch] = smoothedReductionDb[ch] = heldReductionDb[ch] = previousCurveDb[ch] = 0.0;
        attackTimeMs[ch] = releaseTimeMs[ch] = 0.0;
        attackCoefficient[ch] = releaseCoefficient[ch] = 0.0;
        coefficientSampleRate[ch] = 0.0;
    }
    // The segment starts stay: the first segment after a re-size runs from the old start.
}

void LimiterEngine::setRate (double sampleRate) noexcept
{
    rate = sampleRate;
    // Kept in double: the truncated 0.1 ms in samples, compared without an
    // integer conversion that a nonsense rate could overflow.
    minimumSegment = std::trunc (sampleRate * 0.1 / 1000.0);
    attackIsInstant = timeCoefficient (sampleRate, engineAttackMs + engineAttackMs) <= negligibleAttack;
}

// The segment's positions run from `first` forward, wrapping from the end of
// the ring to 0, up to but not including the write position: visit(from, to)
// is called for the run from `first` and then for the one from 0, if any.
template <typename Visit>
void LimiterEngine::walkSegment (int first, Visit&& visit) const noexcept
{
    visit (first, first <= writePosition ? writePosition : length);
    if (first > writePosition && writePosition > 0)
        visit (0, writePosition);
}

// Ends the open segment of each channel that crossed zero at position w,
// unless it is shorter than the minimum; the sample at w opens the next.
// Every segment closes here, in time order, and is processed at once.
void LimiterEngine::closeSegments (int w, bool crossedLeft, bool crossedRight, double levelDb) noexcept
{
    writePosition = w;
    for (int ch = 0; ch < 2; ++ch)
        if ((ch == 0 ? crossedLeft : crossedRight) && std::abs ((double) w - (double) segmentStart[ch]) >= minimumSegment)
        {
            processSegment (ch, segmentStart[ch], levelDb);
            if (observer != nullptr)
                tellObserver (ch, levelDb);
            segmentStart[ch] = w;
        }
}

// The segment from segmentStart[channel] to the write position, just
// processed. The block holds no more frames than the ring, so the write
// position tells the frame.
void LimiterEngine::tellObserver (int channel, double levelDb) const noexcept
{
    const int start = segmentStart[channel];
    const int first = (start >= length || start < 0) ? 0 : start;
    const int count = first <= writePosition ? writePosition - first : length - first + writePosition;
    const int frame = writePosition >= blockPosition ? writePosition - blockPosition : length - blockPosition + writePosition;
    const double estimate = count == 0 ? 0.0 : judgedEstimate[channel];
    const double gain = count == 0 ? 1.0
                                   : gainFromDb (-staticCurve (flush (dbPerNeper * std::log (estimate)), flush (levelDb),
                                                               engineRatio, engineKneeDb)
                                                      .reductionDb);
    observer->segmentClosed (channel, framesTaken + frame - count, count, estimate, gain);
}

void LimiterEngine::processSegment (int channel, int start, double levelDb) noexcept
{
    double* const ring = rings[channel].data();
    const int first = (start >= length || start < 0) ? 0 : start;

    RunMeasure runs[2];
    int numRuns = 0;
    int count = 0;
    int shortQ = -1;

    if (first < writePosition && writePosition - first < shortSegment)
    {
        // Most segments are this short: measured here, one by one, keeping
        // the place the peak held before it last moved (q, below) as well.
        RunMeasure& m = runs[numRuns++];
        int before = 0;
        for (int k = 0; k < writePosition - first; ++k)
        {
            const double x = ring[first + k];
            const double magnitude = std::abs (x);
            const bool rises = magnitude > m.peak;
            before = rises ? m.peakAt : before;
            m.peakAt = rises ? k : m.peakAt;
            m.peak = rises ? magnitude : m.peak;
            m.sumSq += x * x;
            m.hasZero = m.hasZero || x == 0.0;
        }
        count = writePosition - first;
        shortQ = first + before;
    }
    else
    {
        walkSegment (first, [&] (int from, int to)
                     {
                         measureRun (ring + from, to - from, runs[numRuns++]);
                         count += to - from; });
        if (count == 0)
            return;
    }

    // The peak p is the first position of the largest |x|.
    const RunMeasure& a = runs[0];
    const RunMeasure& b = runs[1];
    const bool peakInFirst = a.peak >= b.peak;
    const int p = peakInFirst ? first + a.peakAt : b.peakAt;
    const double peak = peakInFirst ? a.peak : b.peak;
    const double rms = std::sqrt ((a.sumSq + b.sumSq) / (double) count);

    if (! (levelDb == ceilingLevelDb))
    {
        ceilingLevelDb = levelDb;
        ceiling = gainFromDb (levelDb);
        silentPoint = staticCurve (-160.0, flush (levelDb), engineRatio, engineKneeDb);
    }

    // Every tap of the two estimates below lies in the segment or is the
    // sample before it or one of the two after p; where none could lift an
    // estimate over the ceiling, the estimates (which would be discarded) are
    // skipped. A NaN tap zeroes its estimate.
    double reach = peak;
    for (const int c : { previousPosition (first), wrap (p + 1), wrap (p + 2) })
        reach = std::abs (ring[c]) > reach ? std::abs (ring[c]) : reach;

    double truePeak = 0.0;
    if (! (reach * sincTapBound <= ceiling))
    {
        // The other candidate q is where the largest |x| before p first occurs,
        // the position p held before it last moved (the segment's start if none).
        int q = shortQ >= 0 ? shortQ : first;
        if (shortQ < 0)
        {
            RunMeasure before;
            measureRun (peakInFirst ? ring + first : ring, peakInFirst ? a.peakAt : b.peakAt, before);
            if (! peakInFirst && a.peak >= before.peak && a.peak > 0.0)
                q = first + a.peakAt;
            else if (before.peak > 0.0)
                q = (peakInFirst ? first : 0) + before.peakAt;
        }

        // Both lie inside the segment: a half-wave that opens on its peak is
        // never judged by unrelated audio elsewhere in the ring.
        truePeak = sincPeakOfTwo (ring[previousPosition (p)], ring[p], ring[wrap (p + 1)], ring[wrap (p + 2)],
                                  ring[previousPosition (q)], ring[q], ring[wrap (q + 1)], ring[wrap (q + 2)]);
    }

    // Non-finite input makes the crest meaningless; it releases as slowly as
    // a flat segment rather than carry a NaN into the coefficient cache.
    const double rmsE = rms + 0.00001;
    const double peakE = peak + 0.00001;
    const double crestMs = rmsE > peakE ? 100.0 : rmsE / peakE * 99.99 + 0.01;
    const double releaseMs = std::isfinite (crestMs) ? crestMs : 100.0;

    // An estimate counts only above the ceiling.
    const double counted = truePeak > ceiling ? truePeak : 0.0;
    const double detector = counted > peakE ? counted : peakE;
    judgedEstimate[channel] = detector;

    if (! attackIsInstant)
    {
        walkSegment (first, [&] (int from, int to)
                     {
                         for (int j = from; j < to; ++j)
                             ring[j] = applyGainComputer (channel, ring[j], detector, rate, 1.0, 1.0, levelDb,
                                                          engineRatio, engineAttackMs, releaseMs, engineKneeDb); });
        return;
    }

    applySegmentGain (channel, ring, first, detector, flush (levelDb), releaseMs, a.hasZero || b.hasZero);
}

// The gain law with the engine's settings where the attack stage is
// negligible: every non-zero sample of the segment is at most its peak, which
// the detector exceeds, so all of them share one point of the static curve,
// and the held reduction y = max(xL, (1 - r) xL + r h) runs in closed form
// toward that point's reduction xL. A sample of exactly 0 has a point of its
// own, so where that point differs, each such sample is a run of its own.
void LimiterEngine::applySegmentGain (int channel, double* ring, int first, double detector, double threshold,
                                      double releaseMs, bool hasZero) noexcept
{
    const double detectorDb = detector < std::numeric_limits<double>::infinity() ? decibels (detector) : dbPerNeper * std::log (detector);
    const CurvePoint live = staticCurve (flush (detectorDb), threshold, engineRatio, engineKneeDb);
    const CurvePoint& zero = silentPoint;
    const bool zerosApart = hasZero && ! (zero.reductionDb == live.reductionDb);
    const bool lastIsZero = ring[previousPosition (writePosition)] == 0.0;

    // The attack's cache is kept as the general law would leave it.
    coefficientFor (channel, rate, engineAttackMs, attackTimeMs, attackCoefficient);
    const double r = coefficientFor (channel, rate, releaseMs, releaseTimeMs, releaseCoefficient);
    coefficientSampleRate[channel] = rate;
    double held = flush (heldReductionDb[channel]);

    walkSegment (first, [&] (int from, int to)
                 {
                     for (int j = from; j < to; ++j)
                     {
                         int k = zerosApart ? j : to;
                         while (k < to && ring[k] != 0.0)
                             ++k;
                         held = applyReleaseGain (ring + j, k - j, held, live.reductionDb, r);
                         if (k < to)
                             held = applyReleaseGain (ring + k, 1, held, zero.reductionDb, r);
                         j = k;
                     } });

    heldReductionDb[channel] = smoothedReductionDb[channel] = held;
    previousCurveDb[channel] = lastIsZero ? zero.curveDb : live.curveDb;
}

double LimiterEngine::interpolatedPeak (const double* ring, int c) const noexcept
{
    const double x1 = ring[previousPosition (c)], x2 = ring[c], x3 = ring[wrap (c + 1)], x4 = ring[wrap (c + 2)];
    return sincPeakOfTwo (x1, x2, x3, x4, x1, x2, x3, x4);
}

// A coefficient exp(-1000 / (rate * ms)), worked out again only when its
// time or the rate differs from the last call's.
double LimiterEngine::coefficientFor (int channel, double sampleRate, double ms, double* timeMs, double* coefficient) noexcept
{
    if (! (timeMs[channel] == ms && coefficientSampleRate[channel] == sampleRate))
        coefficient[channel] = timeCoefficient (sampleRate, ms);
    timeMs[channel] = ms;
    return coefficient[channel];
}

double LimiterEngine::applyGainComputer (int channel, double sample, double detectorLevel, double sampleRate,
                                         double inputGain, double outputGain, double thresholdDb, double ratio,
                                         double attackMs, double releaseMs, double kneeDb) noexcept
{
    double a = coefficientFor (channel, sampleRate, attackMs, attackTimeMs, attackCoefficient);
    const double r = coefficientFor (channel, sampleRate, releaseMs, releaseTimeMs, releaseCoefficient);
    coefficientSampleRate[channel] = sampleRate;

    const double xs = sample * inputGain;
    const double xG = xs == 0.0 ? -160.0 : 20.0 * std::log10 (std::fmax (std::abs (detectorLevel), std::abs (xs)));
    const CurvePoint point = staticCurve (flush (xG), flush (thresholdDb), ratio, kneeDb);

    // A rising curve inside the knee gets twice the attack time, for this
    // sample only.
    if (point.doublesAttack && point.curveDb >= previousCurveDb[channel])
        a = timeCoefficient (sampleRate, attackMs + attackMs);

    const double h = flush (heldReductionDb[channel]);
    const double s = flush (smoothedReductionDb[channel]);

    double y1 = std::fmax (point.reductionDb, (1.0 - r) * point.reductionDb + r * h);
    double yL = (1.0 - a) * y1 + a * s;
    y1 = flush (y1);
    yL = flush (yL);

    heldReductionDb[channel] = y1;
    smoothedReductionDb[channel] = yL;
    previousCurveDb[channel] = point.curveDb;

    double g = gainFromDb (-yL);

    if (! (g < 1.0) && ! (ratio < 1.0))
        g = 1.0;

    return (g * outputGain) * xs;
}
