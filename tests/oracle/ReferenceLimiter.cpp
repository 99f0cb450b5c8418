#include "oracle/ReferenceLimiter.h"

#include <cmath>

namespace
{
constexpr double pi = 3.14159265358979323846;

// Zero, subnormal, infinite and NaN all become 0.
double flush (double v) noexcept
{
    return std::isnormal (v) ? v : 0.0;
}

int nextPosition (int position, int length) noexcept
{
    return position + 1 >= length ? 0 : position + 1;
}
} // namespace

void ReferenceLimiter::setLookahead (int numSamples)
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

void ReferenceLimiter::processSample (double inLeft, double inRight, double* outLeft, double* outRight,
                                      double sampleRate, double levelDb, bool mono) noexcept
{
    if (length < 2)
    {
        // Unsized: nothing to delay through.
        *outLeft = inLeft;
        *outRight = inRight;
        return;
    }

    const int w = writePosition;

    *outLeft = bufferLeft[(size_t) w];
    *outRight = bufferRight[(size_t) w];
    bufferLeft[(size_t) w] = inLeft;
    bufferRight[(size_t) w] = inRight;

    // A product of exactly 0 is no crossing: +a, 0, -b stays one half-wave.
    const bool leftCrossed = inLeft * previousLeft < 0.0;
    const bool rightCrossed = inRight * previousRight < 0.0;
    previousLeft = inLeft;
    previousRight = inRight;

    // Kept in double: the truncated 0.1 ms in samples, compared without an
    // integer conversion that a nonsense rate could overflow.
    const double minimumSegment = std::trunc (sampleRate * 0.1 / 1000.0);

    if (leftCrossed && std::abs ((double) w - (double) segmentStartLeft) >= minimumSegment)
    {
        processSegment (0, bufferLeft.data(), segmentStartLeft, sampleRate, levelDb);
        segmentStartLeft = w;
    }

    if (! mono && rightCrossed && std::abs ((double) w - (double) segmentStartRight) >= minimumSegment)
    {
        processSegment (1, bufferRight.data(), segmentStartRight, sampleRate, levelDb);
        segmentStartRight = w;
    }

    writePosition = w + 1 >= length ? 0 : w + 1;
}

void ReferenceLimiter::processSegment (int channel, double* ring, int start, double sampleRate, double levelDb) noexcept
{
    const int w = writePosition;
    const int first = (start >= length || start < 0) ? 0 : start;

    // Both peak candidates start inside the segment, so a half-wave that
    // opens on its peak is never judged by unrelated audio elsewhere in the ring.
    double peak = 0.0;
    int p = first;
    int q = first;
    int n = 0;
    double sumSq = 0.0;

    for (int j = first; j != w; j = nextPosition (j, length))
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
        sumSq += x * x;
    }

    if (n == 0)
        return;

    const double rms = std::sqrt (sumSq / n);

    const double tpP = interpolatedPeak (ring, p, sampleRate);
    const double tpQ = interpolatedPeak (ring, q, sampleRate);
    double truePeak = tpP > tpQ ? tpP : tpQ;

    const double rmsE = rms + 0.00001;
    const double peakE = peak + 0.00001;
    double releaseMs = rmsE > peakE ? 100.0 : rmsE / peakE * 99.99 + 0.01;

    // Non-finite input makes the crest meaningless; release as slowly as a
    // flat segment rather than carry a NaN into the coefficient cache.
    if (! std::isfinite (releaseMs))
        releaseMs = 100.0;

    const double ceiling = std::exp (std::log (10.0) * levelDb / 20.0);

    if (truePeak > 0.0 && std::isfinite (truePeak))
        closestCeilingCall = std::fmin (closestCeilingCall, std::abs (std::log (truePeak / ceiling)));

    if (! (truePeak > ceiling))
        truePeak = 0.000001;

    const double detector = truePeak > peakE ? truePeak : peakE;

    for (int j = first; j != w; j = nextPosition (j, length))
        ring[j] = applyGainComputer (channel, ring[j], detector, sampleRate, 1.0, 1.0,
                                     levelDb, 10000.0, 0.00001, releaseMs, 0.1);
}

double ReferenceLimiter::interpolatedPeak (const double* ring, int c, double sampleRate) const noexcept
{
    const double x[4] = {
        ring[c == 0 ? length - 1 : c - 1],
        ring[c],
        ring[c + 1 >= length ? c + 1 - length : c + 1],
        ring[c + 2 >= length ? c + 2 - length : c + 2],
    };

    const double fs = sampleRate;
    double result = 0.0;

    // Ten points from 1.5 to 3.3; the step accumulates in double like the
    // original loop, so the points are 2.3000000000000003 and so on.
    for (double t = 1.5; t < 3.5; t += 0.2)
    {
        double v = 0.0;

        for (int k = 1; k <= 4; ++k)
        {
            const double u = (t / fs - k / fs) * (fs * pi);
            v += x[k - 1] * std::sin (u) / u;
        }

        if (std::abs (v) > result)
            result = std::abs (v);
    }

    return result;
}

double ReferenceLimiter::applyGainComputer (int channel, double sample, double detectorLevel, double sampleRate,
                                            double inputGain, double outputGain, double thresholdDb, double ratio,
                                            double attackMs, double releaseMs, double kneeDb) noexcept
{
    // Exponentials only when a time or the rate moves: once per segment.
    const bool rateChanged = ! (coefficientSampleRate[channel] == sampleRate);
    coefficientSampleRate[channel] = sampleRate;

    double a = (attackTimeMs[channel] == attackMs && ! rateChanged)
                   ? attackCoefficient[channel]
                   : std::exp (-1000.0 / (sampleRate * attackMs));
    attackTimeMs[channel] = attackMs;
    attackCoefficient[channel] = a;

    const double r = (releaseTimeMs[channel] == releaseMs && ! rateChanged)
                         ? releaseCoefficient[channel]
                         : std::exp (-1000.0 / (sampleRate * releaseMs));
    releaseTimeMs[channel] = releaseMs;
    releaseCoefficient[channel] = r;

    const double xs = sample * inputGain;
    const double T = flush (thresholdDb);

    double xG = xs == 0.0 ? -160.0 : 20.0 * std::log10 (std::fmax (std::abs (detectorLevel), std::abs (xs)));
    xG = flush (xG);

    const double W = kneeDb + 0.01;
    const double S = 1.0 / ratio - 1.0;
    const double d = xG - T;
    double yG;

    if (xs != 0.0)
        closestKneeCallDb = std::fmin (closestKneeCallDb, std::fmin (std::abs (2.0 * d + W), std::abs (2.0 * d - W)));

    if (2.0 * d < -W)
    {
        yG = xG;
    }
    else if (2.0 * std::abs (d) <= W)
    {
        yG = flush (S * (d + W / 2.0) * (d + W / 2.0) / (2.0 * W) + xG);

        // A rising curve inside the knee gets twice the attack time, for this
        // sample only.
        if (2.0 * std::abs (d) <= 1.8 && yG >= previousCurveDb[channel])
            a = std::exp (-1000.0 / ((attackMs + attackMs) * sampleRate));
    }
    else
    {
        yG = flush (T + d / ratio);
    }

    const double xL = xG - yG;
    const double h = flush (heldReductionDb[channel]);
    const double s = flush (smoothedReductionDb[channel]);

    double y1 = std::fmax (xL, (1.0 - r) * xL + r * h);
    double yL = (1.0 - a) * y1 + a * s;
    y1 = flush (y1);
    yL = flush (yL);

    double g = std::exp (std::log (10.0) * (-yL / 20.0));

    if (! (g < 1.0) && ! (ratio < 1.0))
        g = 1.0;

    heldReductionDb[channel] = y1;
    smoothedReductionDb[channel] = yL;
    previousCurveDb[channel] = yG;

    return (g * outputGain) * xs;
}
