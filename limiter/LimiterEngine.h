#pragma once

#include "limiter/GainLaw.h"
#include "limiter/SegmentKernels.h"
#include "limiter/SegmentObserver.h"

#include <cmath>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
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
                        double sampleRate, double levelDb, bool mono) noexcept { processBlock (&inLeft, &inRight, outLeft, outRight, 1, sampleRate, levelDb, mono); }

    // processSample for each frame, in place or not; outRight may be null.
    // levelDb, which converts to the Level, is read only where a segment closes.
    template <typename Sample, typename Level>
    void processBlock (const Sample* inLeft, const Sample* inRight, Sample* outLeft, Sample* outRight,
                       int numFrames, double sampleRate, const Level& levelDb, bool mono) noexcept;

    // The general gain law for one sample of one channel; returns the processed sample.
    double applyGainComputer (int channel, double sample, double detectorLevel, double sampleRate,
                              double inputGain, double outputGain, double thresholdDb, double ratio,
                              double attackMs, double releaseMs, double kneeDb) noexcept;

    // Tells `segmentObserver` (or no one, if null) where every segment closes.
    // Without one, the engine does no more than before.
    void setObserver (SegmentObserver* segmentObserver) noexcept { observer = segmentObserver; }

    // The gain of a level in dB, as the engine converts every one.
    static double gainFromDb (double db) noexcept { return std::exp (std::log (10.0) * db / 20.0); }

    // Four-tap sinc estimate of the peak between ring[c] and ring[c + 1].
    double interpolatedPeak (const double* ring, int c) const noexcept;

private:
    int nextPosition (int position) const noexcept { return position + 1 >= length ? 0 : position + 1; }
    int previousPosition (int position) const noexcept { return position == 0 ? length - 1 : position - 1; }
    // A position up to one ring length past the end, brought back into the ring.
    int wrap (int position) const noexcept { return position >= length ? position - length : position; }
    void setRate (double sampleRate) noexcept;
    void closeSegments (int w, bool crossedLeft, bool crossedRight, double levelDb) noexcept;
    void closeSegment (int channel, int start, double levelDb) noexcept;
    void processClosedSegments() noexcept;
    // Out of line, so that an engine without an observer pays only the test.
    [[gnu::noinline, gnu::cold]] void tellObserver (int channel, double levelDb) const noexcept;
    double coefficientFor (int channel, double sampleRate, double ms, double* timeMs, double* coefficient) noexcept;
    template <typename Visit>
    void walkSegment (int first, Visit&& visit) const noexcept;

    // Per channel (0 left, 1 right): delay ring, open segment's start, last input.
    int length = 0;
    std::vector<double> rings[2];
    int writePosition = 0;
    int segmentStart[2] {};
    double previous[2] {};
    std::int64_t framesTaken = 0; // before this block, since setLookahead
    int blockPosition = 0; // the write position where this block began
    double judgedEstimate[2] {}; // the last processed segment's, for the observer

    // Closed segments wait here, in the order they closed, and are judged
    // side by side at the end of a stretch of deferSpan frames (or when the
    // queue is full): short enough that none of their samples leaves the
    // ring, or is overwritten, before.
    static constexpr int maxClosed = 64;
    ClosedSegment closed[maxClosed];
    int numClosed = 0;
    int deferSpan = 1;
    SegmentObserver* observer = nullptr;

    // Gain computer state, per channel.
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
    Ceiling ceiling;
};

template <typename Sample, typename Level>
void LimiterEngine::processBlock (const Sample* inLeft, const Sample* inRight, Sample* outLeft, Sample* outRight,
                                  int numFrames, double sampleRate, const Level& levelDb, bool mono) noexcept
{
    if (! (sampleRate == rate))
        setRate (sampleRate);

    // An observer is told frames by ring position, which names one frame
    // only in a block no longer than the ring.
    if (observer != nullptr && numFrames > length && length >= 2)
    {
        for (int done = 0; done < numFrames; done += length)
            processBlock (inLeft + done, inRight + done, outLeft + done, outRight != nullptr ? outRight + done : nullptr,
                          std::min (length, numFrames - done), sampleRate, levelDb, mono);
        return;
    }
    blockPosition = writePosition;

    // Locals, which the ring's stores cannot alias; unsized, nothing delays.
    const bool sized = length >= 2;
    double* const ringLeft = rings[0].data();
    double* const ringRight = rings[1].data();
    double previousLeft = previous[0];
    double previousRight = previous[1];
    int w = writePosition;

    for (int done = 0; done < numFrames; done += deferSpan)
    {
        for (int i = done; i < std::min (numFrames, done + deferSpan); ++i)
        {
            // Both inputs are read before an output, which may share their memory.
            const double l = (double) inLeft[i];
            const double r = (double) inRight[i];
            const double delayedRight = sized ? std::exchange (ringRight[w], r) : r;
            outLeft[i] = (Sample) (sized ? std::exchange (ringLeft[w], l) : l);

            if (outRight != nullptr)
                outRight[i] = (Sample) delayedRight;

            // A product of exactly 0 is no crossing: +a, 0, -b stays one half-wave.
            const bool crossedLeft = l * previousLeft < 0.0;
            const bool crossedRight = ! mono && r * previousRight < 0.0;
            previousLeft = l;
            previousRight = r;

            if (sized && (crossedLeft || crossedRight))
                closeSegments (w, crossedLeft, crossedRight, (double) levelDb);

            w = nextPosition (w);
        }
        processClosedSegments();
    }

    previous[0] = previousLeft;
    previous[1] = previousRight;
    writePosition = w;
    framesTaken += numFrames;
}
