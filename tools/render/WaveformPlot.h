#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

// The picture of one render: input and output overlaid as min/max per pixel
// column with the ceiling marked, one panel per channel, and the gain
// reduction in dB in a panel below, over a common time axis.
class WaveformPlot
{
public:
    /** A plot `width` pixels wide for `frames` frames (the input's length). */
    WaveformPlot (int channels, juce::int64 frames, double sampleRate, int width = 1200);

    /** Takes output frame `index`: its aligned input and output samples per channel, and its gain reduction in dB. */
    void add (juce::int64 index, const float* in, const float* out, double reductionDb);

    /** Draws the picture; `title` heads it and `ceiling` is linear. */
    juce::Image draw (const juce::String& title, double ceiling, double levelDb) const;

private:
    struct Column
    {
        float inMin = 0, inMax = 0, outMin = 0, outMax = 0;
        bool used = false;
    };

    void drawWave (juce::Graphics&, juce::Rectangle<float> area, int channel, double ceiling, float range) const;
    void drawReduction (juce::Graphics&, juce::Rectangle<float> area) const;
    void drawTimeAxis (juce::Graphics&, juce::Rectangle<float> plotArea, float y) const;

    int channels, width;
    juce::int64 frames;
    double sampleRate;
    std::vector<std::vector<Column>> columns; // [channel][column]
    std::vector<float> reduction; // largest per column
    float largest = 0.0f;
};
