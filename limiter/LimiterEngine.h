#pragma once

#include "limiter/FrameKernels.h"
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
    template <typename Sample, typename Level>
    void takeFrame (Sample inLeft, Sample inRight, Sample* outLeft, Sample* outRight, const Level& levelDb, bool mono) noexcept;
    template <typename Sample, typename Level>
    int takeStretch (const Sample* inLeft, const Sample* inRight, Sample* outLeft, Sample* outRight, int n,
                     const Level& levelDb, bool mono) noexcept;
    // The channels (as bits) of `crossed` whose open segment a crossing at w closes.
    int closing (int w, int crossed) const noexcept
    {
        return (int) ((crossed & 1) != 0 && std::abs (w - segmentStart[0]) >= minimumSpan)
               | (int) ((crossed & 2) != 0 && std::abs (w - segmentStart[1]) >= minimumSpan) << 1;
    }
    void closeSegments (int w, int closes, double levelDb, int framesLeft, double afterLeft, double afterRight) noexcept;
    [[gnu::noinline]] void setCeiling (double levelDb) noexcept;
    void processClosedSegments() noexcept;
    // Out of line, so that an engine without an observer pays only the test.
    [[gnu::noinline, gnu::cold]] void tellObserver (int channel, double levelDb) const noexcept;
    double coefficientFor (int channel, double sampleRate, double ms, double* timeMs, double* coefficient) noexcept;
    template <typename Visit>
    void walkSegment (int first, int end, Visit&& visit) const noexcept;

    // Per channel (0 left, 1 right): delay ring, open segment's start, last input.
    int length = 0;
    std::vector<double> rings[2];
    int writePosition = 0;
    int segmentStart[2] {};
    int closedFrom[2] {}; // the start of the segment each channel closed last
    double previous[2] {};
    std::int64_t framesTaken = 0; // before this block, since setLookahead
    int blockPosition = 0; // the write position where this block began
    double judgedEstimate[2] {}; // the last processed segment's, for the observer

    // Closed segments wait here, in the order they closed, and are judged
    // side by side at the end of a stretch of deferSpan frames (or when the
    // queue is full): short enough that none of their samples leaves the
    // ring, or is overwritten, before.
    static constexpr int maxClosed = 64;
    static constexpr int maxStretch = 256;
    static constexpr int kernelStretch = 16; // shorter stretches are taken without the frame kernels
    ClosedSegment closed[maxClosed];
    int numClosed = 0;
    bool mustProcess = false; // a queued segment cannot wait for the stretch's end
    int deferSpan = 1; // frames a stretch takes at most
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
    int minimumSpan = 0; // frames a segment needs to close: 0.1 ms
    bool attackIsInstant = false;
    double ceilingLevelDb = std::numeric_limits<double>::quiet_NaN();
    Ceiling ceiling;
};

// Ends the open segment of each channel in `closes` (bit 0 left, bit 1
// right) at position w; the sample at w opens the next. Every segment closes
// here, in time order, and is queued with what its judgement reads that the
// frames after it overwrite: the sample two past its end (`afterLeft`,
// `afterRight`) and the ceiling. It cannot wait where the rest of the
// stretch (framesLeft) could reach its samples, where the queue has no room
// for the next frame's two, or where the attack takes the general law.
inline void LimiterEngine::closeSegments (int w, int closes, double levelDb, int framesLeft, double afterLeft, double afterRight) noexcept
{
    if (! (levelDb == ceilingLevelDb))
        setCeiling (levelDb);
    for (int ch = 0; ch < 2; ++ch)
        if (((closes >> ch) & 1) != 0)
        {
            const int start = segmentStart[ch];
            ClosedSegment& s = closed[numClosed++];
            s.channel = ch;
            s.first = (start >= length || start < 0) ? 0 : start;
            s.end = w;
            s.after = ch == 0 ? afterLeft : afterRight;
            s.ceiling = ceiling;

            const int span = s.first <= w ? w - s.first : length - s.first + w;
            mustProcess = mustProcess || numClosed + 2 > maxClosed || ! attackIsInstant || span + framesLeft + 2 > length;
            closedFrom[ch] = start;
            segmentStart[ch] = w;
        }
}

// Takes up to n frames from the write position, which stay inside the ring:
// stores them, keeping the frames they replace; finds the crossings and
// queues every segment they close; puts out the frames replaced; then
// processes the queue. Ends the stretch early, after a frame whose segment
// could not wait for its end or that an observer must hear about, and takes
// back the frames after it. Returns the frames taken.
template <typename Sample, typename Level>
int LimiterEngine::takeStretch (const Sample* inLeft, const Sample* inRight, Sample* outLeft, Sample* outRight, int n,
                                const Level& levelDb, bool mono) noexcept
{
    const int w0 = writePosition;
    double* const ringLeft = rings[0].data() + w0;
    double* const ringRight = rings[1].data() + w0;
    double delayedLeft[maxStretch], delayedRight[maxStretch];
    std::uint64_t left[maxStretch / 64] {}, right[maxStretch / 64] {};
    if (n < kernelStretch)
    {
        // A few frames, as a host's bypass feeds them one at a time: too few
        // to pay for the kernels' calls.
        for (int k = 0; k < n; ++k)
        {
            delayedLeft[k] = std::exchange (ringLeft[k], (double) inLeft[k]);
            delayedRight[k] = std::exchange (ringRight[k], (double) inRight[k]);
            left[0] |= (std::uint64_t) crossesZero (ringLeft[k], k == 0 ? previous[0] : ringLeft[k - 1]) << k;
            right[0] |= (std::uint64_t) (! mono && crossesZero (ringRight[k], k == 0 ? previous[1] : ringRight[k - 1])) << k;
        }
    }
    else
    {
        storeFrames (inLeft, ringLeft, delayedLeft, previous[0], n, left);
        storeFrames (inRight, ringRight, delayedRight, previous[1], n, right);
        if (mono)
            std::fill (std::begin (right), std::end (right), 0);
    }

    // The sample after a frame's own stood in the ring until the next frame.
    const auto after = [&] (const double* delayed, int ch, int i)
    { return i + 1 < n ? delayed[i + 1] : rings[ch][(size_t) wrap (w0 + n)]; };

    int taken = n;
    int closedAtEnd = 0; // channels, as bits, whose segments closed at the last frame taken
    double levelAtEnd = 0.0;
    for (int word = 0; word * 64 < taken; ++word)
        for (std::uint64_t any = left[word] | right[word]; any != 0; any &= any - 1)
        {
            const int k = __builtin_ctzll (any);
            const int i = word * 64 + k;
            const int closes = closing (w0 + i, (int) ((left[word] >> k) & 1) | (int) ((right[word] >> k) & 1) << 1);
            if (closes == 0)
                continue;
            const double level = (double) levelDb;
            closeSegments (w0 + i, closes, level, n - i - 1, after (delayedLeft, 0, i), after (delayedRight, 1, i));
            if (observer != nullptr || mustProcess)
            {
                taken = i + 1;
                closedAtEnd = closes;
                levelAtEnd = level;
                break;
            }
        }

    for (int k = taken; k < n; ++k)
    {
        ringLeft[k] = delayedLeft[k];
        ringRight[k] = delayedRight[k];
    }
    // One frame by hand: a loop here would become a memory copy, whose
    // start costs more than a frame.
    if (taken == 1)
    {
        outLeft[0] = (Sample) delayedLeft[0];
        if (outRight != nullptr)
            outRight[0] = (Sample) delayedRight[0];
    }
    else
    {
        putOut (delayedLeft, outLeft, taken);
        if (outRight != nullptr)
            putOut (delayedRight, outRight, taken);
    }
    previous[0] = ringLeft[taken - 1];
    previous[1] = ringRight[taken - 1];

    writePosition = w0 + taken - 1;
    processClosedSegments();
    if (observer != nullptr)
        for (int ch = 0; ch < 2; ++ch)
            if (((closedAtEnd >> ch) & 1) != 0)
                tellObserver (ch, levelAtEnd);
    writePosition = nextPosition (writePosition);
    mustProcess = false;
    return taken;
}

// One frame, as processSample and a host's bypass feed them: stored and put
// out, and a segment it closes processed at once, which a stretch of one
// frame would do at more cost.
template <typename Sample, typename Level>
void LimiterEngine::takeFrame (Sample inLeft, Sample inRight, Sample* outLeft, Sample* outRight, const Level& levelDb, bool mono) noexcept
{
    const int w = writePosition;
    const double l = (double) inLeft;
    const double r = (double) inRight;
    const double delayedLeft = std::exchange (rings[0][(size_t) w], l);
    const double delayedRight = std::exchange (rings[1][(size_t) w], r);
    const int closes = closing (w, (int) crossesZero (l, previous[0]) | (int) (! mono && crossesZero (r, previous[1])) << 1);
    previous[0] = l;
    previous[1] = r;

    if (closes != 0)
    {
        const double level = (double) levelDb;
        const auto after = (size_t) wrap (w + 1);
        closeSegments (w, closes, level, 0, rings[0][after], rings[1][after]);
        processClosedSegments();
        if (observer != nullptr)
            for (int ch = 0; ch < 2; ++ch)
                if (((closes >> ch) & 1) != 0)
                    tellObserver (ch, level);
        mustProcess = false;
    }

    *outLeft = (Sample) delayedLeft;
    if (outRight != nullptr)
        *outRight = (Sample) delayedRight;
    writePosition = nextPosition (w);
}

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

    if (length < 2)
    {
        // Unsized: nothing delays, nothing is limited.
        for (int i = 0; i < numFrames; ++i)
        {
            previous[0] = (double) inLeft[i];
            previous[1] = (double) inRight[i];
            outLeft[i] = (Sample) previous[0];
            if (outRight != nullptr)
                outRight[i] = (Sample) previous[1];
        }
        framesTaken += numFrames;
        return;
    }

    if (numFrames == 1)
    {
        takeFrame (*inLeft, *inRight, outLeft, outRight, levelDb, mono);
        framesTaken += 1;
        return;
    }

    for (int done = 0; done < numFrames;)
        done += takeStretch (inLeft + done, inRight + done, outLeft + done, outRight != nullptr ? outRight + done : nullptr,
                             std::min ({ numFrames - done, deferSpan, length - writePosition }), levelDb, mono);
    framesTaken += numFrames;
}
