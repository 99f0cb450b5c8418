#pragma once

#include "tools/render/RenderOptions.h"
#include "tools/render/RenderReport.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <functional>
#include <memory>
#include <vector>

class AudioFileReader;
class AudioFileWriter;
class TolvoAudioProcessor;

// One input through the processor as a host would run it: opened and checked
// on construction, rendered by run(), which leaves the output in its place only
// when everything went well.
class FileRenderer
{
public:
    /** Opens the input and prepares the processor and the output; throws RenderError. `inputs` are all inputs of the command, never to be overwritten. */
    FileRenderer (const RenderOptions& options, const RenderJob& job, const std::vector<juce::File>& inputs);
    ~FileRenderer();

    /** Renders the file and returns its report; throws RenderError. `progress` hears the part done, 0 to 1. */
    RenderReport run (const std::function<void (double)>& progress);

private:
    struct Measures;

    juce::String truncationMessage (juce::int64 present) const;
    void measure (Measures&, const juce::AudioBuffer<float>& aligned, juce::AudioBuffer<float>& block,
                  int from, int count, juce::int64 written, juce::int64 inputOffset);
    RenderReport makeReport (const Measures&, juce::int64 frames, double levelDb, int latency, int delay, juce::int64 skip) const;
    void finishFiles (const Measures&, RenderReport&, double ceiling, double levelDb);

    const RenderOptions& options;
    const RenderJob& job;
    std::unique_ptr<AudioFileReader> reader;
    std::unique_ptr<TolvoAudioProcessor> processor;
    std::unique_ptr<AudioFileWriter> writer;
    std::vector<double> reductionScratch; // per frame of a block, for the plot
};
