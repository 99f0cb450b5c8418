#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

// What the output file holds per sample.
enum class OutputBits
{
    int16,
    int24,
    float32
};

// One input and where its output goes, with both names as the user gave them.
struct RenderJob
{
    juce::File input, output;
    juce::String inputName, outputName;
};

// Everything the command line asks for.
struct RenderOptions
{
    double levelDb = -0.1;
    bool enable = true;
    int blockSize = 512;
    bool keepLatency = false;
    OutputBits bits = OutputBits::float32;
    bool force = false;
    bool noOutput = false; // report only: no audio file written
    bool allowTruncated = false;
    bool quiet = false;
    bool json = false;
    int threads = 1; // files rendered at once (-j); the default is the number of cores
    juce::File plot;
    juce::String plotName;
    juce::File outputDirectory; // -o DIR, made if missing
    juce::String outputDirectoryName;
    std::vector<RenderJob> jobs;

    /** Reads the command line (argv[0] the program's name). Nothing when the
        renders go on; else the exit status, as CommandLine::parse gives it. */
    std::optional<int> parse (int argc, const char* const* argv);
};
