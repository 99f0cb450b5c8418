#pragma once

#include "tools/render/PassReason.h"

#include <juce_core/juce_core.h>

#include <cstdio>
#include <optional>
#include <vector>

// The figures of one render, for people (text) and for scripts (JSON).
// Peaks and loudness are libebur128's, on the samples as read from the input
// and as written to the output.
struct RenderReport
{
    struct Side
    {
        double samplePeak = 0.0, truePeak = 0.0; // linear
        std::optional<double> integratedLufs;
        double loudnessRangeLu = 0.0;
    };

    // Overs put down to one reason; times in seconds of the output.
    struct Pass
    {
        PassReason reason;
        juce::int64 samples, truePeakOvers;
        double first;
    };

    juce::String input, output, inputFormat, outputFormat;
    double sampleRate = 0.0;
    int channels = 0;
    juce::int64 frames = 0, declaredFrames = 0;
    juce::int64 missingBytes = 0; // announced by the container past the end of the file
    double levelDb = 0.0;
    bool enable = true;
    int latency = 0;
    int delay = 0; // frames the output lags the input by: the latency when kept and applied
    bool wroteAudio = true;
    int blockSize = 0;
    Side in, out;
    double reductionMaxDb = 0.0, reductionMeanDb = 0.0;
    juce::int64 overSamples = 0, truePeakOvers = 0;
    std::optional<double> firstOverSample, firstTruePeakOver; // seconds of the output
    juce::int64 clippedSamples = 0;
    std::vector<Pass> passes;
    juce::String plot;

    /** Prints the report as a few aligned lines. */
    void printText (std::FILE* f) const;
    /** The report as one JSON object (schema in the README). */
    juce::var toJson() const;
    /** JSON text of `document`, its figures as short as they were rounded. */
    static juce::String formatJson (const juce::var& document);
    /** A failed file as a JSON object. */
    static juce::var failureJson (const juce::String& input, const juce::String& output, const juce::String& error);
};
