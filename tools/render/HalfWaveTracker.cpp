#include "tools/render/HalfWaveTracker.h"

#include <algorithm>
#include <cstddef>

HalfWaveTracker::HalfWaveTracker (int numChannels, bool isLimiting) :
    limiting (isLimiting),
    channels ((size_t) numChannels)
{
}

void HalfWaveTracker::segmentClosed (int channel, std::int64_t start, int length, double, double) noexcept
{
    if (channel < (int) channels.size())
        channels[(size_t) channel].closures.push_back ({ start + length, start });
}

void HalfWaveTracker::close (Channel& c, const Closure& closure)
{
    c.segments.push_back ({ c.segmentStart, closure.end, closure.limitedFrom });
    c.segmentStart = closure.end;
    settle (c, c.pending.zeroSince ? PassReason::silence : PassReason::longHalfWave);
}

void HalfWaveTracker::push (const juce::AudioBuffer<float>& input, int frames)
{
    if (! limiting)
        return;

    for (size_t ch = 0; ch < channels.size(); ++ch)
    {
        auto& c = channels[ch];
        const auto* x = input.getReadPointer ((int) ch);
        size_t closed = 0;

        for (int i = 0; i < frames; ++i)
        {
            const auto k = pushed + i;
            // A segment closes at its crossing, before the crossing's own sample counts.
            for (; closed < c.closures.size() && c.closures[closed].end <= k; ++closed)
                close (c, c.closures[closed]);

            if (x[i] == 0.0f)
            {
                if (! c.zeros.empty() && c.zeros.back().end == k)
                    ++c.zeros.back().end;
                else
                    c.zeros.push_back ({ k, k + 1 });
                c.pending.zeroSince = c.pending.zeroSince || c.pending.first >= 0;
            }
        }
        c.closures.erase (c.closures.begin(), c.closures.begin() + (std::ptrdiff_t) closed);
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
