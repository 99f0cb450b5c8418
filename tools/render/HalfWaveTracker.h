#pragma once

#include "tools/render/PassReason.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <deque>
#include <vector>

// Follows the input the way the limiter cuts it into half-waves (a crossing
// is a strict sign change; too short a half-wave joins the next; a half-wave
// is limited only over the part of it still in the look-ahead when its
// closing crossing arrives), so that every over in the output can be put
// down to a reason.
class HalfWaveTracker
{
public:
    /** Tallies of one reason. */
    struct Tally
    {
        juce::int64 samples = 0, truePeakOvers = 0;
        juce::int64 first = -1; // input frame of the first, or -1
    };

    /** `lookahead` is the limiter's ring length in frames; with `limiting` false every over is put down to Enable being off. */
    HalfWaveTracker (int channels, int lookahead, double sampleRate, bool limiting);

    /** Takes the next `count` input frames. */
    void push (const juce::AudioBuffer<float>& input, int count);
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

    // Overs in a half-wave that is still open: limited or not, it is too
    // late for them.
    struct Pending
    {
        juce::int64 samples = 0, truePeakOvers = 0, first = -1;
        bool zeroSince = false;
    };

    struct Channel
    {
        double previous = 0.0;
        juce::int64 segmentStart = 0;
        std::deque<Segment> segments;
        std::deque<Run> zeros;
        Pending pending;
    };

    void count (PassReason reason, juce::int64 index, juce::int64 samples, juce::int64 overs);
    void settle (Channel& c, PassReason reason);
    static bool zeroWithin (const Channel& c, juce::int64 from, juce::int64 to);

    bool limiting;
    int lookahead, minimumSegment;
    juce::int64 pushed = 0;
    std::vector<Channel> channels;
    std::array<Tally, passReasonCount> tallies {};
};
