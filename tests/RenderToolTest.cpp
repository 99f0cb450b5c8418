#include "processor/TolvoAudioProcessor.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct Result
{
    int exitCode;
    juce::String output;
};

Result runRender (const juce::StringArray& args)
{
    juce::StringArray command { TOLVO_RENDER_PATH };
    command.addArray (args);
    juce::ChildProcess process;
    if (! process.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
        return { -1, "could not start" };
    const auto text = process.readAllProcessOutput();
    process.waitForProcessToFinish (30000);
    return { (int) process.getExitCode(), text };
}

class RenderTool : public ::testing::Test
{
protected:
    juce::File dir = juce::File::createTempFile ("tolvo-render-test");

    void SetUp() override { ASSERT_TRUE (dir.createDirectory()); }
    void TearDown() override { dir.deleteRecursively(); }

    juce::File writeWav (const juce::String& name, const juce::AudioBuffer<float>& audio, double rate, int bits)
    {
        const auto file = dir.getChildFile (name);
        juce::WavAudioFormat wav;
        auto stream = file.createOutputStream();
        std::unique_ptr<juce::AudioFormatWriter> writer (
            wav.createWriterFor (stream.release(), rate, (unsigned) audio.getNumChannels(), bits, {}, 0));
        writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples());
        return file;
    }

    static juce::AudioBuffer<float> readWav (const juce::File& file, int* bits = nullptr)
    {
        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatReader> reader (wav.createReaderFor (file.createInputStream().release(), true));
        if (reader == nullptr)
            return {};
        if (bits != nullptr)
            *bits = (int) reader->bitsPerSample * (reader->usesFloatingPointData ? -1 : 1);
        juce::AudioBuffer<float> audio ((int) reader->numChannels, (int) reader->lengthInSamples);
        reader->read (&audio, 0, audio.getNumSamples(), 0, true, true);
        return audio;
    }

    static juce::AudioBuffer<float> program (int channels, int frames, float amplitude)
    {
        juce::AudioBuffer<float> audio (channels, frames);
        juce::Random random (7);
        for (int ch = 0; ch < channels; ++ch)
            for (int i = 0; i < frames; ++i)
                audio.setSample (ch, i, amplitude * (0.7f * (float) std::sin (i * 0.013 + ch) + 0.3f * (random.nextFloat() * 2.0f - 1.0f)));
        return audio;
    }
};
} // namespace

TEST_F (RenderTool, AlignedOutputMatchesTheProcessorAndStaysUnderTheCeiling)
{
    const auto input = program (2, 20000, 0.99f);
    const auto in = writeWav ("in.wav", input, 48000.0, 24);
    const auto out = dir.getChildFile ("out.wav");

    const auto r = runRender ({ "--level", "-1", "--block", "333", in.getFullPathName(), out.getFullPathName() });
    ASSERT_EQ (r.exitCode, 0) << r.output;
    EXPECT_TRUE (r.output.contains ("latency 1440 samples")) << r.output;

    int bits = 0;
    const auto rendered = readWav (out, &bits);
    EXPECT_EQ (bits, -32); // 32-bit float
    ASSERT_EQ (rendered.getNumChannels(), 2);
    ASSERT_EQ (rendered.getNumSamples(), input.getNumSamples());

    // The same processor fed the same file, read back exactly as the tool reads it.
    const auto source = readWav (in);
    TolvoAudioProcessor p;
    p.setRateAndBufferSizeDetails (48000.0, 512);
    p.prepareToPlay (48000.0, 512);
    *p.levelParam = -1.0f;
    juce::AudioBuffer<float> padded (2, source.getNumSamples() + 1440);
    padded.clear();
    for (int ch = 0; ch < 2; ++ch)
        padded.copyFrom (ch, 0, source, ch, 0, source.getNumSamples());
    juce::MidiBuffer midi;
    p.processBlock (padded, midi);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < rendered.getNumSamples(); ++i)
            ASSERT_EQ (rendered.getSample (ch, i), padded.getSample (ch, i + 1440)) << ch << " " << i;
}

TEST_F (RenderTool, KeepLatencyAndDisable)
{
    const auto input = program (1, 5000, 1.5f);
    const auto in = writeWav ("mono.wav", input, 44100.0, 16);
    const auto delayed = dir.getChildFile ("delayed.wav");
    const auto bypassed = dir.getChildFile ("bypassed.wav");

    ASSERT_EQ (runRender ({ "--keep-latency", in.getFullPathName(), delayed.getFullPathName() }).exitCode, 0);
    const auto d = readWav (delayed);
    ASSERT_EQ (d.getNumChannels(), 1);
    ASSERT_EQ (d.getNumSamples(), 5000);
    EXPECT_EQ (d.getMagnitude (0, 0, 1323), 0.0f);
    EXPECT_GT (d.getMagnitude (0, 1323, 5000 - 1323), 0.1f);

    ASSERT_EQ (runRender ({ "--disable", in.getFullPathName(), bypassed.getFullPathName() }).exitCode, 0);
    const auto b = readWav (bypassed);
    const auto source = readWav (in);
    ASSERT_EQ (b.getNumSamples(), 5000);
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ (b.getSample (0, i), source.getSample (0, i)) << i;
}

TEST_F (RenderTool, BadInputGetsOneMessageAndLeavesNoFile)
{
    const auto good = writeWav ("good.wav", program (2, 1000, 0.5f), 48000.0, 16);
    const auto threeChannels = writeWav ("three.wav", program (3, 1000, 0.5f), 48000.0, 16);
    const auto text = dir.getChildFile ("notes.wav");
    text.replaceWithText ("this is not audio");
    const auto out = dir.getChildFile ("out.wav");

    const juce::StringArray cases[] = {
        { dir.getChildFile ("missing.wav").getFullPathName(), out.getFullPathName() },
        { threeChannels.getFullPathName(), out.getFullPathName() },
        { text.getFullPathName(), out.getFullPathName() },
        { "--level", "3", good.getFullPathName(), out.getFullPathName() },
        { "--level", "nan", good.getFullPathName(), out.getFullPathName() },
        { "--block", "0", good.getFullPathName(), out.getFullPathName() },
        { "--block", "12x", good.getFullPathName(), out.getFullPathName() },
        { "--frobnicate", good.getFullPathName(), out.getFullPathName() },
        { good.getFullPathName() },
        { good.getFullPathName(), dir.getChildFile ("no/such/dir/out.wav").getFullPathName() },
    };

    for (const auto& args : cases)
    {
        const auto r = runRender (args);
        EXPECT_NE (r.exitCode, 0) << args.joinIntoString (" ");
        EXPECT_EQ (juce::StringArray::fromLines (r.output.trim()).size(), 1) << r.output;
        EXPECT_TRUE (r.output.startsWith ("tolvo-render: ")) << r.output;
        EXPECT_FALSE (out.exists()) << args.joinIntoString (" ");
    }

    // Nothing but the inputs is left in the folder.
    EXPECT_EQ (dir.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 3);
}
