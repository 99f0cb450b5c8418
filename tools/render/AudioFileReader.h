#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <sndfile.h>

#include <memory>
#include <vector>

// An audio file opened for reading through libsndfile: WAV (also
// WAVE_FORMAT_EXTENSIBLE), RF64, AIFF, FLAC and the other formats it knows.
class AudioFileReader
{
public:
    /** Opens a mono or stereo file; throws RenderError with a message naming `name`. */
    AudioFileReader (const juce::File& source, const juce::String& fileName);
    ~AudioFileReader();

    /** 1 or 2. */
    int getNumChannels() const { return channels; }
    /** Frames per second. */
    double getSampleRate() const { return sampleRate; }
    /** Frames the file's header announces. */
    juce::int64 getDeclaredFrames() const { return declaredFrames; }
    /** Bytes the container's chunks announce past the end of the file; 0 for a whole file. */
    juce::int64 getMissingBytes() const { return missingBytes; }
    /** Frames that can be read, as far as is known before reading them all. */
    juce::int64 getAvailableFrames() const { return availableFrames; }
    /** "WAV, 24-bit PCM" and the like. */
    juce::String describeFormat() const;
    /** libsndfile's format code (major and subtype). */
    int getFormat() const { return format; }

    /** Reads up to `frames` frames into the start of `block`; returns how many came, fewer only at the end or on a fault. Throws RenderError for a sample that is not finite. */
    int read (juce::AudioBuffer<float>& block, int frames);
    /** Why the last read came short before the end, or empty. */
    juce::String getReadError() const { return readError; }

private:
    struct Closer
    {
        void operator() (SNDFILE* f) const { sf_close (f); }
    };

    std::unique_ptr<SNDFILE, Closer> file;
    juce::String name;
    juce::int64 position = 0;
    int channels = 0;
    double sampleRate = 0.0;
    int format = 0;
    juce::int64 declaredFrames = 0, availableFrames = 0, missingBytes = 0;
    juce::String readError;
    std::vector<float> interleaved;
};
