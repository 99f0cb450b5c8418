#pragma once

#include <vector>

// The limiter engine as first written, one straightforward step per sample:
// kept unchanged as the model that the fast LimiterEngine must match.
//
// Two-channel look-ahead peak limiter, one sample frame per call.
//
// Each channel waits in a delay ring of `length` samples. While it waits, the
// channel is cut into half-waves at its zero crossings; when a crossing closes
// a half-wave, the whole half-wave is judged by an interpolated peak and run
// through a brick-wall gain computer, so gain changes fall on whole half-waves.
// The channels share ring length, write position, rate and ceiling only.
class ReferenceLimiter
{
public:
    ReferenceLimiter() = default;

    // Sizes both rings and clears every state but the segment starts.
    // The only call that allocates.
    void setLookahead (int numSamples);

    // Puts out the frame stored `length` calls earlier and takes in a new one.
    // With `mono` the right channel is only delayed.
    void processSample (double inLeft, double inRight, double* outLeft, double* outRight,
                        double sampleRate, double levelDb, bool mono) noexcept;

    // Gain law for one sample of one channel; returns the processed sample.
    double applyGainComputer (int channel, double sample, double detectorLevel, double sampleRate,
                              double inputGain, double outputGain, double thresholdDb, double ratio,
                              double attackMs, double releaseMs, double kneeDb) noexcept;

    // Four-tap sinc estimate of the peak between ring[c] and ring[c + 1].
    double interpolatedPeak (const double* ring, int c, double sampleRate) const noexcept;

    // Read-only views of the gain state, for tests and tools.
    double getHeldReductionDb (int channel) const noexcept { return heldReductionDb[channel]; }
    double getSmoothedReductionDb (int channel) const noexcept { return smoothedReductionDb[channel]; }
    double getReleaseTimeMs (int channel) const noexcept { return releaseTimeMs[channel]; }
    double getReleaseCoefficient (int channel) const noexcept { return releaseCoefficient[channel]; }

    // How close the closest decision came to going the other way: the ceiling
    // test of a segment, as |ln(truePeak / ceiling)|, and the knee's edges, in dB.
    // An engine that agrees on the samples to far less decided every one alike.
    double getClosestCeilingCall() const noexcept { return closestCeilingCall; }
    double getClosestKneeCallDb() const noexcept { return closestKneeCallDb; }

private:
    void processSegment (int channel, double* ring, int start, double sampleRate, double levelDb) noexcept;

    int length = 0;
    std::vector<double> bufferLeft;
    std::vector<double> bufferRight;
    int writePosition = 0;
    int segmentStartLeft = 0;
    int segmentStartRight = 0;
    double previousLeft = 0.0;
    double previousRight = 0.0;

    // Gain computer state, per channel (0 left, 1 right).
    double smoothedReductionDb[2] {};
    double heldReductionDb[2] {};
    double previousCurveDb[2] {};
    double attackTimeMs[2] {};
    double releaseTimeMs[2] {};
    double attackCoefficient[2] {};
    double releaseCoefficient[2] {};
    double coefficientSampleRate[2] {};

    double closestCeilingCall = 1e300;
    double closestKneeCallDb = 1e300;
};
