#include "RenderToolSupport.h"

#include <juce_graphics/juce_graphics.h>

#include <ebur128.h>

#include <cmath>

namespace
{
// What libebur128 says of a file, measured on its own.
struct Measured
{
    double samplePeakDb = 0, truePeakDb = 0, integrated = 0, range = 0;
};

Measured measure (const juce::File& f)
{
    const auto a = readAudio (f);
    const int channels = a.audio.getNumChannels();
    auto* st = ebur128_init ((unsigned) channels, (unsigned long) a.sampleRate,
                             EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_SAMPLE_PEAK | EBUR128_MODE_TRUE_PEAK);
    std::vector<float> frame ((size_t) channels);
    for (int i = 0; i < a.audio.getNumSamples(); ++i)
    {
        for (int ch = 0; ch < channels; ++ch)
            frame[(size_t) ch] = a.audio.getSample (ch, i);
        ebur128_add_frames_float (st, frame.data(), 1);
    }

    Measured m;
    double sp = 0, tp = 0;
    for (int ch = 0; ch < channels; ++ch)
    {
        double v = 0;
        ebur128_sample_peak (st, (unsigned) ch, &v);
        sp = std::max (sp, v);
        ebur128_true_peak (st, (unsigned) ch, &v);
        tp = std::max (tp, v);
    }
    m.samplePeakDb = 20 * std::log10 (sp);
    m.truePeakDb = 20 * std::log10 (tp);
    ebur128_loudness_global (st, &m.integrated);
    ebur128_loudness_range (st, &m.range);
    ebur128_destroy (&st);
    return m;
}

juce::var renderJson (const juce::StringArray& args, int expectedExit = 0)
{
    auto all = args;
    all.add ("--json");
    const auto r = runRender (all);
    EXPECT_EQ (r.exitCode, expectedExit) << r.err;
    return juce::JSON::parse (r.out);
}

// Reasons given in a report, by their JSON key.
juce::StringArray reasons (const juce::var& report)
{
    juce::StringArray keys;
    if (auto* passes = report["passes"].getArray())
        for (const auto& p : *passes)
            keys.add (p["reason"].toString());
    return keys;
}

juce::AudioBuffer<float> sine (int frames, double rate, double hz, float amplitude)
{
    juce::AudioBuffer<float> b (1, frames);
    for (int i = 0; i < frames; ++i)
        b.setSample (0, i, amplitude * (float) std::sin (2.0 * juce::MathConstants<double>::pi * hz * i / rate));
    return b;
}
} // namespace

TEST_F (RenderToolTest, ReportAgreesWithLibebur128OnTheWrittenFiles)
{
    // 3 s of loud program at 48 kHz, and a 96 kHz file where true peak takes 2x oversampling.
    for (const auto& [rate, bits] : { std::pair { 48000.0, "32f" }, std::pair { 96000.0, "24" } })
    {
        const auto in = file ("in.wav"), out = file ("out.wav");
        writeAudio (in, programSignal (2, (int) (3 * rate), 2.0f), rate, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
        const auto doc = renderJson ({ "--bits", bits, "--level", "-1", in.getFullPathName(), out.getFullPathName() });
        const auto report = doc["files"][0];
        ASSERT_TRUE ((bool) report["ok"]) << juce::JSON::toString (doc);

        for (const auto& [side, f] : { std::pair { "in", in }, std::pair { "out", out } })
        {
            const auto m = measure (f);
            const auto r = report[side];
            EXPECT_NEAR ((double) r["samplePeakDbfs"], m.samplePeakDb, 1e-3) << side << " " << rate;
            EXPECT_NEAR ((double) r["truePeakDbtp"], m.truePeakDb, 1e-3) << side << " " << rate;
            EXPECT_NEAR ((double) r["integratedLufs"], m.integrated, 1e-3) << side << " " << rate;
            EXPECT_NEAR ((double) r["loudnessRangeLu"], m.range, 1e-3) << side << " " << rate;
        }

        // Overs and gain reduction, counted afresh from the two files.
        const auto a = readAudio (in).audio, b = readAudio (out).audio;
        const double ceiling = std::pow (10.0, (double) -1.0f / 20.0);
        int overs = 0;
        double most = 0, sum = 0;
        int counted = 0;
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < b.getNumSamples(); ++i)
            {
                overs += std::abs (b.getSample (ch, i)) > ceiling ? 1 : 0;
                const double x = std::abs (a.getSample (ch, i)), y = std::abs (b.getSample (ch, i));
                if (x >= 1e-6)
                {
                    const double db = y < x ? 20 * std::log10 (x / y) : 0.0;
                    most = std::max (most, db);
                    sum += db;
                    ++counted;
                }
            }
        EXPECT_EQ ((int) report["overs"]["samples"], overs) << rate;
        EXPECT_GE ((int) report["overs"]["truePeak"], overs) << rate;
        EXPECT_NEAR ((double) report["gainReduction"]["maxDb"], most, 0.01) << rate; // 24-bit rounding moves it a little
        EXPECT_NEAR ((double) report["gainReduction"]["meanDb"], sum / counted, 0.01) << rate;
        EXPECT_GT (most, 5.0);
        out.deleteFile();
    }
}

TEST_F (RenderToolTest, WhatPassesTheCeilingIsCountedAndExplained)
{
    const double rate = 48000.0;
    struct Case
    {
        const char* name;
        juce::AudioBuffer<float> audio;
        juce::StringArray flags;
        const char* reason;
    };

    // 1 kHz at 1.5 cut at a peak: the last half-wave meets the end of the file.
    auto cutAtPeak = sine (4812, rate, 1000.0, 1.5f);
    // The same followed by a second of digital silence.
    auto intoSilence = sine (4812 + 48000, rate, 1000.0, 1.5f);
    intoSilence.clear (0, 4812, 48000);
    // 5 Hz: every half-wave lasts 100 ms, far longer than the 30 ms look-ahead.
    auto slow = sine (48000, rate, 5.0, 1.5f);

    Case cases[] = {
        { "end.wav", cutAtPeak, {}, "end-of-file" },
        { "silence.wav", intoSilence, {}, "digital-silence" },
        { "slow.wav", slow, {}, "long-half-wave" },
        { "disabled.wav", slow, { "--disable" }, "disabled" },
    };

    for (auto& c : cases)
    {
        const auto in = file (juce::String ("in-") + c.name), out = file (c.name);
        writeAudio (in, c.audio, rate, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
        auto args = c.flags;
        args.addArray ({ in.getFullPathName(), out.getFullPathName() });
        const auto report = renderJson (args)["files"][0];

        EXPECT_GT ((int) report["overs"]["samples"], 0) << c.name;
        EXPECT_TRUE (reasons (report).contains (c.reason)) << c.name << ": " << reasons (report).joinIntoString (", ");
        // Every sample over is put down to some reason.
        juce::int64 explained = 0;
        for (const auto& p : *report["passes"].getArray())
            explained += (juce::int64) p["samples"];
        EXPECT_EQ (explained, (juce::int64) report["overs"]["samples"]) << c.name;

        // The engine tells the same half-waves whatever the blocks, also ones longer than its ring.
        for (const auto* block : { "7", "4096" })
        {
            auto other = c.flags;
            other.addArray ({ "--no-output", "--block", block, in.getFullPathName() });
            EXPECT_EQ (juce::JSON::toString (renderJson (other)["files"][0]["passes"]), juce::JSON::toString (report["passes"]))
                << c.name << ", block " << block;
        }
    }

    // The unclosed half-wave passes at the very end; the text says why in one line.
    const auto r = runRender ({ "--force", file ("in-end.wav").getFullPathName(), file ("end.wav").getFullPathName() });
    EXPECT_TRUE (r.out.contains ("why: the last half-wave has no zero crossing before the end of the file")) << r.out;
    const auto report = renderJson ({ "--force", file ("in-end.wav").getFullPathName(), file ("end.wav").getFullPathName() })["files"][0];
    for (const auto& p : *report["passes"].getArray())
    {
        if (p["reason"] == "end-of-file")
        {
            EXPECT_GE ((double) p["firstSeconds"], 4800.0 / rate);
        }
    }

    // Program whose half-waves all close gets no such reasons.
    const auto in = file ("program.wav"), out = file ("program-out.wav");
    auto program = programSignal (2, 48000, 1.5f);
    program.applyGainRamp (0, 47000, 48000 - 47000, 1.0f, 0.0f);
    program.clear (47990, 10);
    writeAudio (in, program, rate, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    const auto clean = renderJson ({ in.getFullPathName(), out.getFullPathName() })["files"][0];
    for (const auto* unexpected : { "end-of-file", "digital-silence", "long-half-wave" })
        EXPECT_FALSE (reasons (clean).contains (unexpected)) << unexpected;
}

TEST_F (RenderToolTest, PlotShowsBothWaveformsTheCeilingAndTheGainReduction)
{
    const auto in = file ("in.wav"), out = file ("out.wav"), plot = file ("plot.png");
    writeAudio (in, programSignal (2, 48000, 2.0f), 48000.0, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    const auto r = runRender ({ "--plot", plot.getFullPathName(), in.getFullPathName(), out.getFullPathName() });
    ASSERT_EQ (r.exitCode, 0) << r.err;

    const auto image = juce::ImageFileFormat::loadFrom (plot);
    ASSERT_TRUE (image.isValid());
    EXPECT_EQ (image.getWidth(), 1200);
    EXPECT_GT (image.getHeight(), 600);

    // Input grey, output blue, ceiling red and gain reduction orange are all there.
    int grey = 0, blue = 0, red = 0, orange = 0;
    for (int y = 0; y < image.getHeight(); y += 2)
        for (int x = 0; x < image.getWidth(); x += 2)
        {
            const auto c = image.getPixelAt (x, y).getARGB() & 0xffffff;
            grey += c == 0xb8bec7;
            blue += c == 0x1f5fbf;
            red += c == 0xd62728;
            orange += c == 0xe07b00;
        }
    EXPECT_GT (grey, 1000);
    EXPECT_GT (blue, 10000);
    EXPECT_GT (red, 100);
    EXPECT_GT (orange, 1000);

    // A picture is an output too: not replaced without --force.
    const auto again = runRender ({ "--plot", plot.getFullPathName(), in.getFullPathName(), file ("other.wav").getFullPathName() });
    EXPECT_EQ (again.exitCode, 1);
    EXPECT_FALSE (file ("other.wav").exists());
}
