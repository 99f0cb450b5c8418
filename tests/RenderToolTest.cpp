#include "RenderToolSupport.h"

#include "processor/TolvoAudioProcessor.h"

#include <cmath>
#include <limits>

namespace
{
constexpr int wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

// The limiter's gain law is 10000:1, so a limited half-wave may end a
// ten-thousandth of its excess over the ceiling: well under 0.001 dB here.
constexpr double ceilingToleranceDb = 0.001;
} // namespace

TEST_F (RenderToolTest, AlignedOutputMatchesTheProcessorAndStaysUnderTheCeiling)
{
    // Program with sharp spikes over it: the limiter judges a spike by its
    // sample peak and brings it to the ceiling itself, where a fault shows.
    auto input = programSignal (2, 20000, 0.99f);
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 500 + 90 * ch; i < 19000; i += 997)
            input.setSample (ch, i, input.getSample (ch, i) > 0.0f ? 2.0f : -2.0f);
    const auto in = file ("in.wav"), out = file ("out.wav");
    writeAudio (in, input, 48000.0, SF_FORMAT_WAV | SF_FORMAT_FLOAT);

    const auto r = runRender ({ "--level", "-1", "--block", "333", in.getFullPathName(), out.getFullPathName() });
    ASSERT_EQ (r.exitCode, 0) << r.err;
    EXPECT_TRUE (r.out.contains ("latency 1440 samples")) << r.out;

    const auto rendered = readAudio (out);
    EXPECT_EQ (rendered.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_EQ (rendered.audio.getNumChannels(), 2);
    ASSERT_EQ (rendered.audio.getNumSamples(), input.getNumSamples());

    // The same processor fed the same file, read back exactly as the tool reads it.
    const auto source = readAudio (in).audio;
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
        for (int i = 0; i < rendered.audio.getNumSamples(); ++i)
            ASSERT_EQ (rendered.audio.getSample (ch, i), padded.getSample (ch, i + 1440)) << ch << " " << i;

    // The input goes well past -1 dB; what comes out comes close to it but
    // no further. The last few half-waves, which no crossing closes or which
    // are too short to count, pass unprocessed and are left out.
    const auto ceiling = std::pow (10.0, (-1.0 + ceilingToleranceDb) / 20.0);
    const int limited = 19500;
    EXPECT_GT (source.getMagnitude (0, limited), 1.5 * ceiling);
    for (int ch = 0; ch < 2; ++ch)
        EXPECT_LE (rendered.audio.getMagnitude (ch, 0, limited), ceiling) << "channel " << ch << "\n"
                                                                          << r.out;
    EXPECT_GT (rendered.audio.getMagnitude (0, limited), std::pow (10.0, -1.01 / 20.0));
}

TEST_F (RenderToolTest, KeptLatencyLengthensTheOutputAndTheReportSaysWhatTheFileShows)
{
    const auto input = programSignal (1, 5000, 1.5f);
    const auto in = file ("mono.wav"), out = file ("out.wav");
    writeAudio (in, input, 44100.0, wav16);
    const auto source = readAudio (in).audio;
    constexpr int latency = 1323; // 30 ms at 44.1 kHz

    // Arguments, how far the output lags, and what the report says of it.
    const std::tuple<juce::StringArray, int, const char*> cases[] = {
        { { "--keep-latency" }, latency, "\"latencyKept\": true" },
        { { "--disable" }, 0, "\"latencyKept\": false" },
        { { "--disable", "--keep-latency" }, 0, "\"latencyKept\": false" },
    };
    for (const auto& [options, delay, kept] : cases)
    {
        auto args = options;
        args.addArray ({ "--force", "--json", in.getFullPathName(), out.getFullPathName() });
        const auto r = runRender (args);
        ASSERT_EQ (r.exitCode, 0) << r.err;
        EXPECT_TRUE (r.out.contains (kept)) << r.out;
        const auto o = readAudio (out).audio;
        // Every input frame comes out, after the delay.
        ASSERT_EQ (o.getNumSamples(), 5000 + delay) << args.joinIntoString (" ");
        EXPECT_EQ (o.getMagnitude (0, 0, delay), 0.0f);
        EXPECT_GT (o.getMagnitude (0, 5000, delay), delay > 0 ? 0.1f : -1.0f);
        if (args.contains ("--disable"))
        {
            for (int i = 0; i < 5000; ++i)
                ASSERT_EQ (o.getSample (0, i), source.getSample (0, i)) << i;
        }
    }
}

TEST_F (RenderToolTest, BadInputGetsOneMessageAndLeavesNoFile)
{
    const auto good = file ("good.wav"), threeChannels = file ("three.wav"), text = file ("notes.wav");
    writeAudio (good, programSignal (2, 1000, 0.5f), 48000.0, wav16);
    writeAudio (threeChannels, programSignal (3, 1000, 0.5f), 48000.0, wav16);
    text.replaceWithText ("this is not audio");
    const auto empty = file ("empty.wav"), notANumber = file ("nan.wav");
    empty.create();
    auto withNaN = programSignal (1, 1000, 0.5f);
    withNaN.setSample (0, 600, std::numeric_limits<float>::quiet_NaN());
    writeAudio (notANumber, withNaN, 48000.0, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    const auto out = file ("out.wav");
    const auto o = out.getFullPathName();

    const juce::StringArray cases[] = {
        { file ("missing.wav").getFullPathName(), o },
        { dir.getFullPathName() + "/", o },
        { threeChannels.getFullPathName(), o },
        { text.getFullPathName(), o },
        { empty.getFullPathName(), o },
        { notANumber.getFullPathName(), o },
        { "--level", "3", good.getFullPathName(), o },
        { "--level", "nan", good.getFullPathName(), o },
        { "--level", "-", good.getFullPathName(), o },
        { "--level", "+", good.getFullPathName(), o },
        { "--level", ".", good.getFullPathName(), o },
        { "--level", "-1-2", good.getFullPathName(), o },
        { "--block", "0", good.getFullPathName(), o },
        { "--block", "12x", good.getFullPathName(), o },
        { "--bits", "20", good.getFullPathName(), o },
        { "--frobnicate", good.getFullPathName(), o },
        { good.getFullPathName() },
        { good.getFullPathName(), file ("no/such/dir/out.wav").getFullPathName() },
        { good.getFullPathName(), file ("out.flac").getFullPathName() }, // FLAC holds no float
        { "--plot", file ("p.png").getFullPathName(), good.getFullPathName(), text.getFullPathName(), "-o", file ("d").getFullPathName() },
        { "--plot", o, good.getFullPathName(), o },
    };

    for (const auto& args : cases)
    {
        const auto r = runRender (args);
        EXPECT_NE (r.exitCode, 0) << args.joinIntoString (" ");
        EXPECT_EQ (juce::StringArray::fromLines (r.err.trim()).size(), 1) << r.err;
        EXPECT_TRUE (r.err.startsWith ("tolvo-render: ")) << r.err;
        EXPECT_FALSE (out.exists()) << args.joinIntoString (" ");
    }

    // Nothing but the inputs is left in the folder, no temporary file either.
    EXPECT_EQ (entries(), 5);
}
