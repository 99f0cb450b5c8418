#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <gtest/gtest.h>

#include <sndfile.h>

#include <string>
#include <vector>

// What a run of tolvo-render left: its exit status and its two streams.
struct RenderRun
{
    int exitCode = -1;
    juce::String out, err;
};

/** An argv for exec: `program`, then `args`, pointing into `storage`. */
std::vector<char*> makeArgv (std::vector<std::string>& storage, const char* program, const juce::StringArray& args);
/** Runs `program` with `args`, stdout and stderr kept apart; files it writes
    are held to `fileSizeLimit` bytes when that is not negative. */
RenderRun runTool (const char* program, const juce::StringArray& args, long fileSizeLimit = -1);
/** Runs tolvo-render with `args`. */
inline RenderRun runRender (const juce::StringArray& args) { return runTool (TOLVO_RENDER_PATH, args); }

/** Audio and how it was stored. */
struct AudioFile
{
    juce::AudioBuffer<float> audio;
    double sampleRate = 0.0;
    int format = 0;
};

/** Writes `audio` through libsndfile in `format` (SF_FORMAT_* major | subtype: 16 or 24-bit PCM, or float); PCM is rounded and clipped. */
void writeAudio (const juce::File& file, const juce::AudioBuffer<float>& audio, double rate, int format);
/** Reads a whole file through libsndfile; no channels if it cannot. */
AudioFile readAudio (const juce::File& file);

/** Program-like noise over a sine, repeatable, peaking near `amplitude`. */
juce::AudioBuffer<float> programSignal (int channels, int frames, float amplitude);

/** A folder of its own for each test. */
class RenderToolTest : public ::testing::Test
{
protected:
    juce::File dir = juce::File::createTempFile ("tolvo-render-test");

    void SetUp() override { ASSERT_TRUE (dir.createDirectory()); }
    void TearDown() override { dir.deleteRecursively(); }

    /** `name` in the test's folder. */
    juce::File file (const juce::String& name) const { return dir.getChildFile (name); }
    /** Every entry of the test's folder, hidden ones too. */
    int entries() const { return dir.getNumberOfChildFiles (juce::File::findFilesAndDirectories); }
};
