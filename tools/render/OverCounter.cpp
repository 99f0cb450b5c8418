#include "tools/render/OverCounter.h"

#include <cmath>

OverCounter::OverCounter (int numChannels, double ceilingGain, int truePeakDelay, HalfWaveTracker& halfWaves) :
    channels (numChannels), ceiling (ceilingGain), delay (juce::jmax (0, truePeakDelay)), tracker (halfWaves),
    recent ((size_t) delay + 1)
{
    for (auto& p : recent)
    {
        p.magnitude.assign ((size_t) channels, 0.0f);
        p.over.assign ((size_t) channels, false);
    }
}

void OverCounter::add (juce::int64 index, juce::int64 inputIndex, const float* x, const double* truePeaks)
{
    jassert (index == next);
    // The period `delay` back gets no more readings after this frame's.
    if (index - delay - 1 >= 0)
        close (index - delay - 1);

    auto& now = recent[(size_t) (index % (delay + 1))];
    now.inputIndex = inputIndex;
    for (int ch = 0; ch < channels; ++ch)
    {
        now.magnitude[(size_t) ch] = std::abs (x[ch]);
        now.over[(size_t) ch] = false;
    }

    for (int ch = 0; ch < channels; ++ch)
    {
        const double m = now.magnitude[(size_t) ch];
        if (m > ceiling)
        {
            now.over[(size_t) ch] = true;
            ++samples;
            if (firstSample < 0)
                firstSample = index;
            if (inputIndex >= 0)
                tracker.noteOver (ch, inputIndex, false, true);
        }

        // A reading above the sample itself comes from the oversampling
        // filter, and belongs `delay` periods back.
        if (truePeaks[ch] > ceiling && truePeaks[ch] > m && index - delay >= 0)
            recent[(size_t) ((index - delay) % (delay + 1))].over[(size_t) ch] = true;
    }
    next = index + 1;
}

void OverCounter::close (juce::int64 period)
{
    auto& p = recent[(size_t) (period % (delay + 1))];
    for (int ch = 0; ch < channels; ++ch)
    {
        if (! p.over[(size_t) ch])
            continue;
        ++truePeakOvers;
        if (firstTruePeak < 0 || period < firstTruePeak)
            firstTruePeak = period;
        if (p.inputIndex >= 0)
            tracker.noteOver (ch, p.inputIndex, true, p.magnitude[(size_t) ch] > ceiling);
    }
}

void OverCounter::finish()
{
    for (auto period = juce::jmax<juce::int64> (0, next - delay - 1); period < next; ++period)
        close (period);
}

juce::int64 OverCounter::getOldestOpenInput() const
{
    const auto period = juce::jmax<juce::int64> (0, next - delay - 1);
    return recent[(size_t) (period % (delay + 1))].inputIndex;
}
