#pragma once

#include "tools/render/HalfWaveTracker.h"

#include <juce_core/juce_core.h>

#include <vector>

// Counts what of the output lies over the ceiling: samples, and sample periods
// whose true peak does (a sample over counts as one too), each put down to a
// reason by the tracker.
class OverCounter
{
public:
    /** `truePeakDelay` is how many periods the true-peak readings trail their samples. */
    OverCounter (int channels, double ceiling, int truePeakDelay, HalfWaveTracker& tracker);

    /** Takes output frame `index`, which came from input frame `inputIndex` (negative: none), with its samples and true-peak readings. */
    void add (juce::int64 index, juce::int64 inputIndex, const float* samples, const double* truePeaks);
    /** Counts the periods still waiting for later readings. */
    void finish();
    /** The earliest input frame that can still be noted. */
    juce::int64 getOldestOpenInput() const;

    juce::int64 samples = 0, truePeakOvers = 0;
    juce::int64 firstSample = -1, firstTruePeak = -1; // output frames, -1 for none

private:
    void close (juce::int64 period);

    struct Period
    {
        juce::int64 inputIndex = -1;
        std::vector<float> magnitude;
        std::vector<bool> over;
    };

    int channels;
    double ceiling;
    int delay;
    HalfWaveTracker& tracker;
    std::vector<Period> recent; // ring of the last delay + 1 periods
    juce::int64 next = 0; // the next output frame
};
