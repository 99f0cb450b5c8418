#include "tools/render/HalfWaveTracker.h"

#include <algorithm>
#include <cstdlib>

HalfWaveTracker::HalfWaveTracker (int numChannels, int lookaheadFrames, double sampleRate, bool isLimiting) :
    limiting (isLimiting),
    lookahead (juce::jmax (1, lookaheadFrames)),
    minimumSegment ((int) (sampleRate * 0.1 / 1000.0)),
    channels ((size_t) numChannels)
{
}

void HalfWaveTracker::push (const juce::AudioBuffer<float>& input, int frames)
{
    if (! limiting)
        return;

    for (size_t ch = 0; ch < channels.size(); ++ch)
    {
        auto& c = channels[ch];
        const auto* x = input.getReadPointer ((int) ch);

        for (int i = 0; i < frames; ++i)
        {
            const auto k = pushed + i;
            const double v = x[i];

            if (v * c.previous < 0.0)
            {
                // Ring positions, compared as the limiter compares them.
                const auto w = (int) (k % lookahead);
                const auto s = (int) (c.segmentStart % lookahead);
                if (std::abs (w - s) >= minimumSegment)
                {
                    const auto walked = (w - s + lookahead) % lookahead;
                    c.segments.push_back ({ c.segmentStart, k, k - walked });
                    c.segmentStart = k;
                    settle (c, c.pending.zeroSince ? PassReason::silence : PassReason::longHalfWave);
                }
            }
            c.previous = v;

            if (v == 0.0)
            {
                if (! c.zeros.empty() && c.zeros.back().end == k)
                    ++c.zeros.back().end;
                else
                    c.zeros.push_back ({ k, k + 1 });
                c.pending.zeroSince = c.pending.zeroSince || c.pending.first >= 0;
            }
        }
    }
    pushed += frames;
}

bool HalfWaveTracker::zeroWithin (const Channel& c, juce::int64 from, juce::int64 to)
{
    for (const auto& run : c.zeros)
        if (run.end > from && run.begin < to)
            return true;
    return false;
}

void HalfWaveTracker::noteOver (int channel, juce::int64 index, bool truePeak, bool sampleAlsoOver)
{
    if (! limiting)
    {
        count (PassReason::disabled, index, truePeak ? 0 : 1, truePeak ? 1 : 0);
        return;
    }

    auto& c = channels[(size_t) channel];

    if (index >= c.segmentStart)
    {
        // Still open this late, so its closing crossing comes too late for it.
        auto& p = c.pending;
        if (p.first < 0)
        {
            p.first = index;
            p.zeroSince = zeroWithin (c, index, pushed);
        }
        (truePeak ? p.truePeakOvers : p.samples) += 1;
        return;
    }

    const auto found = std::upper_bound (c.segments.begin(), c.segments.end(), index,
                                         [] (juce::int64 i, const Segment& s)
                                         { return i < s.end; });
    if (found == c.segments.end() || index < found->begin)
        return; // forgotten already; the caller keeps to its promise

    if (index >= found->limitedFrom)
        count (sampleAlsoOver ? PassReason::limitedOver : PassReason::interSample, index, truePeak ? 0 : 1, truePeak ? 1 : 0);
    else
        count (zeroWithin (c, index, found->end) ? PassReason::silence : PassReason::longHalfWave, index, truePeak ? 0 : 1, truePeak ? 1 : 0);
}

void HalfWaveTracker::forgetBefore (juce::int64 index)
{
    for (auto& c : channels)
    {
        while (! c.segments.empty() && c.segments.front().end <= index)
            c.segments.pop_front();
        while (! c.zeros.empty() && c.zeros.front().end <= index)
            c.zeros.pop_front();
    }
}

void HalfWaveTracker::finish()
{
    for (auto& c : channels)
        settle (c, c.pending.zeroSince ? PassReason::silence : PassReason::endOfFile);
}

void HalfWaveTracker::settle (Channel& c, PassReason reason)
{
    if (c.pending.first >= 0)
        count (reason, c.pending.first, c.pending.samples, c.pending.truePeakOvers);
    c.pending = {};
}

void HalfWaveTracker::count (PassReason reason, juce::int64 index, juce::int64 samples, juce::int64 overs)
{
    auto& t = tallies[(size_t) reason];
    t.samples += samples;
    t.truePeakOvers += overs;
    if (t.first < 0 || index < t.first)
        t.first = index;
}
