// How the engine spends its time. The frames come in stretches of up to a
// quarter of the ring (at most 256): vector kernels store them, keep the
// samples they replace and mark their crossings as bits (FrameKernels), so
// that nothing is done per frame but copying. Each segment a crossing closes
// is queued with what the frames after it overwrite (the sample two past its
// end, the Level); none of its samples leaves the ring before the stretch
// ends, and a segment that could not wait that long ends the stretch early.
// At the end of the stretch the queue is processed, one channel at a time:
//   1. measure every segment: peak, sum of squares, zeros, and where its
//      estimates could count, the peak's first place and the place it held
//      before;
//   2. judge them: a segment below the knee whose estimates cannot reach the
//      ceiling (most, in quiet or released material) only lets the reduction
//      relax and needs no more; the rest side by side, one segment to a
//      vector lane: crest and release time, the two sinc estimates, the
//      detector level and its decibels;
//   3. gain them in the order they closed: one point of the static curve
//      for every sample (all share the detector level), and the held
//      reduction's release toward it in closed form, vectorised.
// The order of effects is the model's: a segment whose estimate may read
// the last sample of the segment before it, gained in the same stretch, is
// judged only once that sample has its gain. A 10 kHz sine over the ceiling
// makes such a chain of most of its segments, which no lanes can share. A
// queue too short to fill half the lanes is judged one segment at a time.

#include "limiter/LimiterEngine.h"

#include "limiter/SegmentKernels.h"

using namespace gainLaw;

namespace
{
// The attack stage moves the reduction by a * (s - y), a = exp(-1000 /
// (rate * attack)), doubled attack included. No reduction reaches 13000 dB
// (20 log10 of the largest double is 6165), so where a is at most 1e-20 the
// move stays below 1.3e-16 dB, 1.5e-17 of the gain, and the stage is left
// out: up to about 1.09 MHz. Faster rates take the general law.
constexpr double negligibleAttack = 1e-20;

} // namespace

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
    deferSpan = std::clamp (length / 4, 1, maxStretch);
    mustProcess = false;
    numClosed = 0;
    // The segment starts stay: the first segment after a re-size runs from the old start.
}

void LimiterEngine::setRate (double sampleRate) noexcept
{
    rate = sampleRate;
    // The truncated 0.1 ms in frames; a nonsense rate (NaN or vast) closes no segment.
    const double frames = std::trunc (sampleRate * 0.1 / 1000.0);
    minimumSpan = frames <= 0.0 ? 0 : frames < 1e9 ? (int) frames
                                                   : std::numeric_limits<int>::max();
    attackIsInstant = timeCoefficient (sampleRate, engineAttackMs + engineAttackMs) <= negligibleAttack;
}

// A segment's positions run from `first` forward, wrapping from the end of
// the ring to 0, up to but not including `end`: visit(from, to) is called
// for the run from `first` and then for the one from 0, if any.
template <typename Visit>
void LimiterEngine::walkSegment (int first, int end, Visit&& visit) const noexcept
{
    visit (first, first <= end ? end : length);
    if (first > end && end > 0)
        visit (0, end);
}

// The ceiling as the gain law reads it, at a new Level.
void LimiterEngine::setCeiling (double levelDb) noexcept
{
    ceilingLevelDb = levelDb;
    ceiling.gain = gainFromDb (levelDb);
    ceiling.thresholdDb = flush (levelDb);
    ceiling.silent = staticCurve (-160.0, flush (levelDb), engineRatio, engineKneeDb);
    // The knee starts (W / 2) dB under the threshold; the margin dwarfs the logarithm's rounding.
    ceiling.quietBelow = ceiling.silent.reductionDb == 0.0
                             ? gainFromDb (ceiling.thresholdDb - (engineKneeDb + 0.01) / 2.0) * (1.0 - 1e-9)
                             : 0.0;
}

// Judges the waiting segments, side by side per channel, then gains each in
// the order they closed; those whose judgement waits for the segment before
// them are judged on the way.
void LimiterEngine::processClosedSegments() noexcept
{
    if (numClosed == 0)
        return;

    ClosedSegment* byChannel[2][maxClosed];
    int counts[2] {};
    for (int i = 0; i < numClosed; ++i)
        byChannel[closed[i].channel][counts[closed[i].channel]++] = &closed[i];
    for (int ch = 0; ch < 2; ++ch)
        if (counts[ch] > 0)
            judgeSegments (rings[ch].data(), length, byChannel[ch], counts[ch]);

    if (! attackIsInstant)
    {
        for (int i = 0; i < numClosed; ++i)
        {
            ClosedSegment& s = closed[i];
            if (s.count == 0)
                continue;
            const int ch = s.channel;
            double* const ring = rings[ch].data();
            if (s.late)
                judgeLate (ring, length, s);
            judgedEstimate[ch] = s.detector;
            walkSegment (s.first, s.end, [&] (int from, int to)
                         {
                             for (int k = from; k < to; ++k)
                                 ring[k] = applyGainComputer (ch, ring[k], s.detector, rate, 1.0, 1.0, s.ceiling.thresholdDb,
                                                              engineRatio, engineAttackMs, s.releaseMs, engineKneeDb); });
        }
        numClosed = 0;
        return;
    }

    ReleaseStage stages[2];
    for (int ch = 0; ch < 2; ++ch)
    {
        stages[ch].heldDb = heldReductionDb[ch];
        stages[ch].timeMs = releaseTimeMs[ch];
        stages[ch].coefficient = releaseCoefficient[ch];
        stages[ch].rate = coefficientSampleRate[ch];
        stages[ch].curveDb = previousCurveDb[ch];
    }
    double* const ringData[2] { rings[0].data(), rings[1].data() };
    gainSegments (ringData, length, closed, numClosed, rate, stages);

    bool gained[2] {};
    for (int i = 0; i < numClosed; ++i)
        if (closed[i].count > 0)
        {
            gained[closed[i].channel] = true;
            judgedEstimate[closed[i].channel] = closed[i].detector;
        }
    for (int ch = 0; ch < 2; ++ch)
        if (gained[ch])
        {
            // The attack's cache is kept as the general law would leave it.
            coefficientFor (ch, rate, engineAttackMs, attackTimeMs, attackCoefficient);
            const ReleaseStage& stage = stages[ch];
            heldReductionDb[ch] = smoothedReductionDb[ch] = stage.heldDb;
            releaseTimeMs[ch] = stage.timeMs;
            releaseCoefficient[ch] = stage.coefficient;
            coefficientSampleRate[ch] = stage.rate;
            // Below the knee the curve is the level, taken only for the last segment.
            previousCurveDb[ch] = stage.curveOf != 0.0 ? flush (detectorDecibels (stage.curveOf)) : stage.curveDb;
        }
    numClosed = 0;
}

// The segment from closedFrom[channel] to the write position, just
// processed. The block holds no more frames than the ring, so the write
// position tells the frame.
void LimiterEngine::tellObserver (int channel, double levelDb) const noexcept
{
    const int start = closedFrom[channel];
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
    const gainLaw::CurvePoint point = staticCurve (flush (xG), flush (thresholdDb), ratio, kneeDb);

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
