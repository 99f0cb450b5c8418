#pragma once

#include <cmath>
#include <limits>
#include <vector>

// Two-channel look-ahead peak limiter, one sample frame per call.
//
// Each channel waits in a delay ring of `length` samples. While it waits, the
// channel is cut into half-waves at its zero crossings; when a crossing closes
// a half-wave, the whole half-wave is judged by an interpolated peak and run
// through a brick-wall gain computer, so gain changes fall on whole half-waves.
// The channels share ring length, write position, rate and ceiling only.
class LimiterEngine
{
public:
    // Sizes both rings and clears every state but the segment starts.
    // The only call that allocates.
    void setLookahead (int numSamples);

    // Puts out the frame stored `length` calls earlier and takes in a new one.
    // With `mono` the right channel is only delayed.
    void processSample (double inLeft, double inRight, double* outLeft, double* outRight,
                        double sampleRate, double levelDb, bool mono) noexcept;

    // The general gain law for one sample of one channel; returns the processed sample.
    double applyGainComputer (int channel, double sample, double detectorLevel, double sampleRate,
                              double inputGain, double outputGain, double thresholdDb, double ratio,
                              double attackMs, double releaseMs, double kneeDb) noexcept;

    // Four-tap sinc estimate of the peak between ring[c] and ring[c + 1].
    double interpolatedPeak (const double* ring, int c) const noexcept;

    // Held gain reduction of a channel after its last processed sample, dB.
    double getHeldReductionDb (int channel) const noexcept { return heldReductionDb[channel]; }
    // Smoothed gain reduction of a channel, the one that set its last gain, dB.
    double getSmoothedReductionDb (int channel) const noexcept { return smoothedReductionDb[channel]; }
    // Release coefficient of a channel's last processed sample.
    double getReleaseCoefficient (int channel) const noexcept { return releaseCoefficient[channel]; }

private:
    // One point of the gain computer's static curve with its soft knee.
    struct CurvePoint
    {
        double curveDb = 0.0; // yG
        double reductionDb = 0.0; // xL = xG - yG
        bool doublesAttack = false; // in the knee's middle: doubled attack while the curve rises
    };

    static CurvePoint staticCurve (double levelDb, double thresholdDb, double ratio, double kneeDb) noexcept;
    int nextPosition (int position) const noexcept { return position + 1 >= length ? 0 : position + 1; }
    void setRate (double sampleRate) noexcept;
    void closeSegments (int w, bool left, bool right, double levelDb) noexcept;
    void processSegment (int channel, double* ring, int start, double levelDb) noexcept;
    void applySegmentGain (int channel, double* ring, int first, double detector, double threshold,
                           double releaseMs, bool hasZero) noexcept;
    double coefficientFor (int channel, double sampleRate, double ms, double* timeMs, double* coefficient) noexcept;

    template <typename Visit>
    void walkSegment (int first, Visit&& visit) const noexcept;

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

    // Pure functions of the rate and of Level, kept until they change.
    double rate = std::numeric_limits<double>::quiet_NaN();
    double minimumSegment = 0.0;
    bool attackIsInstant = false;
    double ceilingLevelDb = std::numeric_limits<double>::quiet_NaN();
    double ceiling = 0.0;
};

inline void LimiterEngine::processSample (double inLeft, double inRight, double* outLeft, double* outRight,
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
    double* const left = bufferLeft.data();
    double* const right = bufferRight.data();

    *outLeft = left[w];
    *outRight = right[w];
    left[w] = inLeft;
    right[w] = inRight;

    // A product of exactly 0 is no crossing: +a, 0, -b stays one half-wave.
    const bool leftCrossed = inLeft * previousLeft < 0.0;
    const bool rightCrossed = ! mono && inRight * previousRight < 0.0;
    previousLeft = inLeft;
    previousRight = inRight;

    if (! (sampleRate == rate))
        setRate (sampleRate);

    if (leftCrossed || rightCrossed)
        closeSegments (w, leftCrossed, rightCrossed, levelDb);

    writePosition = nextPosition (w);
}
