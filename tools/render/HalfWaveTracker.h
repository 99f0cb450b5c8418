#pragma once

#include "limiter/SegmentObserver.h"
#include "tools/render/PassReason.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <deque>
#include <vector>

// Follows the half-waves as the limiter closes them, and the input's digital
// silence, so that every over in the output can be put down to a reason. The
// engine tells where each segment closes and which part of it it limited.
class HalfWaveTracker : public SegmentObserver
{
public:
    /** Tallies of one reason. */
    struct Tally
    {
        juce::int64 samples = 0, truePeakOvers = 0;
        juce::int64 first = -1; // input frame of the first, or -1
    };

    /** With `limiting` false every over is put down to Enable being off. */
    HalfWaveTracker (int channels, bool limiting);

    /** From the engine: a segment closed. Its input frames come with the next push. */
    void segmentClosed (int channel, std::int64_t start, int length, double estimate, double gain) noexcept override;
    /** Takes the next `frames` input frames, after the engine has taken them. */
    void push (const juce::AudioBuffer<float>& input, int frames);
    /** Notes an over at input frame `index`; the input must have been pushed up to at least index + lookahead. */
    void noteOver (int channel, juce::int64 index, bool truePeak, bool sampleAlsoOver);
    /** No over before `index` will be noted any more. */
    void forgetBefore (juce::int64 index);
    /** The input has ended; settles what is still open. */
    void finish();

    /** What has been put down to `reason`. */
    const Tally& tally (PassReason reason) const { return tallies[(size_t) reason]; }

private:
    struct Segment
    {
        juce::int64 begin, end, limitedFrom;
    };

    struct Run
    {
        juce::int64 begin, end;
    };

    // A segment the engine closed at input frame `end`, limited from `limitedFrom`.
    struct Closure
    {
        juce::int64 end, limitedFrom;
    };

    // Overs in a half-wave that is still open: limited or not, it is too
    // late for them.
    struct Pending
    {
        juce::int64 samples = 0, truePeakOvers = 0, first = -1;
        bool zeroSince = false;
    };

    struct Channel
    {
        juce::int64 segmentStart = 0;
        std::deque<Segment> segments;
        std::deque<Run> zeros;
        std::vector<Closure> closures; // told, not yet pushed
        Pending pending;
    };

    void close (Channel& c, const Closure& closure);
    void count (PassReason reason, juce::int64 index, juce::int64 samples, juce::int64 overs);
    void settle (Channel& c, PassReason reason);
    static bool zeroWithin (const Channel& c, juce::int64 from, juce::int64 to);

    bool limiting;
    juce::int64 pushed = 0;
    std::vector<Channel> channels;
    std::array<Tally, passReasonCount> tallies {};
};
