#pragma once

#include "tools/render/RenderOptions.h"
#include "tools/render/TemporaryOutput.h"
#include "tools/render/TpdfDither.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <sndfile.h>

#include <memory>
#include <vector>

// The output file, written through libsndfile into a temporary file beside
// the target. Its format follows the target's name: AIFF for .aif, .aiff and
// .aifc, FLAC for .flac, WAV otherwise (RF64 when it would pass 4 GB).
class AudioFileWriter
{
public:
    /** Starts the file; throws RenderError for a format that cannot hold `bits` or a file that cannot be made. */
    AudioFileWriter (const juce::File& target, const juce::String& name, int channels, double sampleRate,
                     OutputBits bits, juce::int64 expectedFrames);
    ~AudioFileWriter();

    /** Rounds frames [start, start + count) of `block` in place to what the file holds, then writes them. */
    void write (juce::AudioBuffer<float>& block, int start, int count);
    /** Finishes the file and puts it in the target's place. */
    void commit (bool replace);

    /** Samples limited to full scale on the way to 16 or 24 bits. */
    juce::int64 getClippedSamples() const { return clipped; }
    /** "WAV, 32-bit float" and the like. */
    juce::String describeFormat() const;

private:
    struct Closer
    {
        void operator() (SNDFILE* f) const { sf_close (f); }
    };

    TemporaryOutput temp;
    std::unique_ptr<SNDFILE, Closer> file;
    juce::String name;
    int channels = 0;
    int format = 0;
    OutputBits bits;
    TpdfDither dither;
    juce::int64 clipped = 0;
    std::vector<float> floats;
    std::vector<int> ints;
};
