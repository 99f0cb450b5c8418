#include "RenderToolSupport.h"

#include <sys/stat.h>
#include <unistd.h>

namespace
{
void expectSameAudio (const juce::File& a, const juce::File& b)
{
    const auto x = readAudio (a), y = readAudio (b);
    ASSERT_EQ (x.audio.getNumChannels(), y.audio.getNumChannels()) << b.getFileName();
    ASSERT_EQ (x.audio.getNumSamples(), y.audio.getNumSamples()) << b.getFileName();
    for (int ch = 0; ch < x.audio.getNumChannels(); ++ch)
        for (int i = 0; i < x.audio.getNumSamples(); ++i)
            ASSERT_EQ (x.audio.getSample (ch, i), y.audio.getSample (ch, i)) << b.getFileName() << " " << ch << " " << i;
}

juce::File cutShort (const juce::File& source, const juce::File& target, size_t bytes)
{
    juce::MemoryBlock data;
    source.loadFileAsData (data);
    data.setSize (bytes);
    target.replaceWithData (data.getData(), data.getSize());
    return target;
}
} // namespace

TEST_F (RenderToolTest, EveryInputFormatRendersAsTheSameSamplesInWav)
{
    struct Case
    {
        int channels;
        double rate;
        int subtype;
    };

    for (const auto& c : { Case { 2, 48000.0, SF_FORMAT_PCM_24 }, Case { 1, 44100.0, SF_FORMAT_PCM_16 } })
    {
        const auto audio = programSignal (c.channels, 12000, 1.4f);
        const auto reference = file ("ref.wav"), referenceOut = file ("ref-out.wav");
        writeAudio (reference, audio, c.rate, SF_FORMAT_WAV | c.subtype);
        ASSERT_EQ (runRender ({ reference.getFullPathName(), referenceOut.getFullPathName() }).exitCode, 0);

        const std::pair<const char*, int> formats[] = { { "x.wav", SF_FORMAT_WAVEX }, { "x.rf64", SF_FORMAT_RF64 }, { "x.aiff", SF_FORMAT_AIFF }, { "x.flac", SF_FORMAT_FLAC } };
        for (const auto& [name, major] : formats)
        {
            const auto in = file (juce::String ("in-") + name), out = file (juce::String ("out-") + name + ".wav");
            writeAudio (in, audio, c.rate, major | c.subtype);
            const auto r = runRender ({ in.getFullPathName(), out.getFullPathName() });
            ASSERT_EQ (r.exitCode, 0) << name << ": " << r.err;
            expectSameAudio (referenceOut, out);
            in.deleteFile();
            out.deleteFile();
        }
        reference.deleteFile();
        referenceOut.deleteFile();
    }

    // The output's format follows its name.
    const auto in = file ("in.wav");
    writeAudio (in, programSignal (2, 3000, 0.5f), 48000.0, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const std::tuple<const char*, const char*, int> outputs[] = {
        { "o.aiff", "32f", SF_FORMAT_AIFF | SF_FORMAT_FLOAT },
        { "o.flac", "24", SF_FORMAT_FLAC | SF_FORMAT_PCM_24 },
        { "o.WAV", "16", SF_FORMAT_WAV | SF_FORMAT_PCM_16 },
    };
    for (const auto& [name, bits, format] : outputs)
    {
        ASSERT_EQ (runRender ({ "--bits", bits, in.getFullPathName(), file (name).getFullPathName() }).exitCode, 0) << name;
        EXPECT_EQ (readAudio (file (name)).format, format) << name;
    }
}

TEST_F (RenderToolTest, FileCutShortIsRefusedWithBothCountsOrRenderedWhenAllowed)
{
    const auto wav = file ("whole.wav"), flac = file ("whole.flac");
    writeAudio (wav, programSignal (2, 144000, 0.5f), 48000.0, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    writeAudio (flac, programSignal (2, 144000, 0.5f), 48000.0, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);

    // A WAV's header still counts 144000 frames; a FLAC stream loses sync part way.
    const std::pair<juce::File, juce::String> cut[] = {
        { cutShort (wav, file ("cut.wav"), 1000), "only 239 are there" },
        { cutShort (flac, file ("cut.flac"), (size_t) flac.getSize() / 3), "" },
    };

    for (const auto& [in, present] : cut)
    {
        const auto out = file ("out.wav");
        const auto refused = runRender ({ in.getFullPathName(), out.getFullPathName() });
        EXPECT_EQ (refused.exitCode, 1);
        EXPECT_EQ (juce::StringArray::fromLines (refused.err.trim()).size(), 1) << refused.err;
        EXPECT_TRUE (refused.err.contains ("says 144000 frames")) << refused.err;
        EXPECT_TRUE (refused.err.contains (present)) << refused.err;
        EXPECT_FALSE (out.exists());

        const auto allowed = runRender ({ "--allow-truncated", in.getFullPathName(), out.getFullPathName() });
        ASSERT_EQ (allowed.exitCode, 0) << allowed.err;
        EXPECT_TRUE (allowed.out.contains ("cut short: its header says 144000 frames")) << allowed.out;
        const auto frames = readAudio (out).audio.getNumSamples();
        EXPECT_GT (frames, 0);
        EXPECT_LT (frames, 144000);
        EXPECT_TRUE (allowed.out.contains ("rendered the " + juce::String (frames) + " present")) << allowed.out;
        out.deleteFile();
    }
}

TEST_F (RenderToolTest, NeverOverwritesAnInputNorAnExistingFileWithoutForce)
{
    const auto in = file ("a.wav");
    writeAudio (in, programSignal (2, 4000, 1.2f), 48000.0, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    juce::MemoryBlock original;
    in.loadFileAsData (original);

    const auto hardLink = file ("hard.wav");
    ASSERT_EQ (::link (in.getFullPathName().toRawUTF8(), hardLink.getFullPathName().toRawUTF8()), 0);
    ASSERT_TRUE (in.createSymbolicLink (file ("soft.wav"), true));

    const juce::StringArray sameFile[] = {
        { in.getFullPathName(), in.getFullPathName() },
        { "--force", in.getFullPathName(), in.getFullPathName() },
        { "--force", in.getFullPathName(), hardLink.getFullPathName() },
        { "--force", in.getFullPathName(), file ("soft.wav").getFullPathName() },
        { "--force", in.getFullPathName(), "-o", dir.getFullPathName() },
        { "--force", in.getFullPathName(), dir.getFullPathName() },
    };
    for (const auto& args : sameFile)
    {
        const auto r = runRender (args);
        EXPECT_EQ (r.exitCode, 1) << args.joinIntoString (" ");
        EXPECT_TRUE (r.err.contains ("is an input; it is never overwritten")) << r.err;
        juce::MemoryBlock now;
        in.loadFileAsData (now);
        EXPECT_TRUE (now == original) << args.joinIntoString (" ");
    }

    const auto out = file ("out.wav");
    out.replaceWithText ("keep me");
    const auto refused = runRender ({ in.getFullPathName(), out.getFullPathName() });
    EXPECT_EQ (refused.exitCode, 1);
    EXPECT_TRUE (refused.err.contains ("exists; add --force")) << refused.err;
    EXPECT_EQ (out.loadFileAsString(), "keep me");

    ASSERT_EQ (runRender ({ "--force", in.getFullPathName(), out.getFullPathName() }).exitCode, 0);
    EXPECT_EQ (readAudio (out).audio.getNumSamples(), 4000);
    EXPECT_EQ (entries(), 4); // a, hard, soft, out: no temporary file left
}

TEST_F (RenderToolTest, ManyFilesGoToOneFolderAndOneFailureStopsNoOther)
{
    const auto a = file ("a.wav"), c = file ("c.aiff"), bad = file ("b.wav"), twin = file ("sub/a.wav");
    writeAudio (a, programSignal (2, 3000, 1.2f), 48000.0, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    writeAudio (c, programSignal (1, 3000, 1.2f), 44100.0, SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
    bad.replaceWithText ("not audio");
    ASSERT_TRUE (twin.getParentDirectory().createDirectory());
    writeAudio (twin, programSignal (1, 100, 0.1f), 48000.0, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const auto outDir = file ("rendered");

    const auto r = runRender ({ a.getFullPathName(), bad.getFullPathName(), c.getFullPathName(), twin.getFullPathName(), "-o", outDir.getFullPathName() });
    EXPECT_EQ (r.exitCode, 1);
    const auto errors = juce::StringArray::fromLines (r.err.trim());
    ASSERT_EQ (errors.size(), 2) << r.err;
    EXPECT_TRUE (errors[0].contains ("b.wav")) << errors[0];
    EXPECT_TRUE (errors[1].contains ("would both go to")) << errors[1];
    EXPECT_EQ (readAudio (outDir.getChildFile ("a.wav")).audio.getNumChannels(), 2);
    EXPECT_EQ (readAudio (outDir.getChildFile ("c.aiff")).format, SF_FORMAT_AIFF | SF_FORMAT_FLOAT);
    EXPECT_FALSE (outDir.getChildFile ("b.wav").exists());
    EXPECT_TRUE (r.out.contains ("a.wav ->") && r.out.contains ("c.aiff ->")) << r.out;
    // The first a.wav's output was not replaced by the twin's.
    EXPECT_EQ (readAudio (outDir.getChildFile ("a.wav")).audio.getNumSamples(), 3000);

    const auto again = runRender ({ "--force", a.getFullPathName(), c.getFullPathName(), "-o", outDir.getFullPathName() });
    EXPECT_EQ (again.exitCode, 0) << again.err;
    EXPECT_TRUE (again.err.isEmpty()) << again.err;
}

TEST_F (RenderToolTest, SixteenAndTwentyFourBitsAreDitheredAndRepeatable)
{
    const auto in = file ("in.wav"), reference = file ("float.wav");
    writeAudio (in, programSignal (2, 20000, 1.3f), 48000.0, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_EQ (runRender ({ in.getFullPathName(), reference.getFullPathName() }).exitCode, 0);
    const auto exact = readAudio (reference).audio;

    for (const auto& [bits, subtype, steps] : { std::tuple { "16", SF_FORMAT_PCM_16, 32768.0 }, std::tuple { "24", SF_FORMAT_PCM_24, 8388608.0 } })
    {
        const auto out = file (juce::String ("out") + bits + ".wav"), again = file (juce::String ("again") + bits + ".wav");
        ASSERT_EQ (runRender ({ "--bits", bits, in.getFullPathName(), out.getFullPathName() }).exitCode, 0);
        ASSERT_EQ (runRender ({ "--bits", bits, "--block", "77", in.getFullPathName(), again.getFullPathName() }).exitCode, 0);
        const auto q = readAudio (out);
        EXPECT_EQ (q.format, SF_FORMAT_WAV | subtype);
        expectSameAudio (out, again);

        // TPDF of +-1 step: within 1.5 steps of the exact value, unbiased,
        // and often not the nearest step.
        double sum = 0.0, worst = 0.0;
        int notNearest = 0, n = 0;
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < exact.getNumSamples(); ++i)
            {
                const double x = exact.getSample (ch, i) * steps, y = q.audio.getSample (ch, i) * steps;
                if (std::abs (x) >= steps - 2.0)
                    continue; // held at full scale, below
                ++n;
                sum += y - x;
                worst = std::max (worst, std::abs (y - x));
                notNearest += y != std::round (x) ? 1 : 0;
            }
        EXPECT_LT (worst, 1.5) << bits;
        EXPECT_LT (std::abs (sum / n), 0.02) << bits;
        EXPECT_GT (notNearest, n / 5) << bits;
    }

    // Past full scale a PCM sample is held at it, and the report says so.
    const auto loud = file ("loud16.wav");
    const auto r = runRender ({ "--disable", "--bits", "16", in.getFullPathName(), loud.getFullPathName() });
    ASSERT_EQ (r.exitCode, 0) << r.err;
    EXPECT_TRUE (r.out.contains ("went past full scale")) << r.out;
    const auto held = readAudio (loud).audio;
    EXPECT_EQ (held.getMagnitude (0, held.getNumSamples()), 1.0f);
}

TEST_F (RenderToolTest, OnlyARegularFileIsReplacedAndAFailedWriteLeavesNothing)
{
    const auto in = file ("in.wav"), plotted = file ("plotted.wav");
    writeAudio (in, programSignal (2, 2000, 1.2f), 48000.0, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const auto fifo = file ("fifo"), folder = file ("folder"), device = file ("null"), existing = file ("existing.wav");
    ASSERT_EQ (::mkfifo (fifo.getFullPathName().toRawUTF8(), 0644), 0);
    ASSERT_TRUE (folder.createDirectory());
    ASSERT_TRUE (juce::File ("/dev/null").createSymbolicLink (device, true));
    existing.replaceWithText ("keep me");
    const auto before = entries();

    const auto isUntouched = [&] (const juce::File& target)
    {
        struct stat s
        {
        };
        if (::lstat (target.getFullPathName().toRawUTF8(), &s) != 0)
            return false;
        return target == fifo ? S_ISFIFO (s.st_mode) : target == folder ? S_ISDIR (s.st_mode) && folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories) == 0
                                                   : target == device   ? S_ISLNK (s.st_mode)
                                                                        : existing.loadFileAsString() == "keep me";
    };

    // Every tool and every file it writes; --force replaces regular files only.
    const auto i = in.getFullPathName(), p = plotted.getFullPathName();
    const std::pair<const char*, juce::StringArray> writers[] = {
        { TOLVO_RENDER_PATH, { i, "T" } },
        { TOLVO_RENDER_PATH, { "--plot", "T", i, p } },
        { TOLVO_RENDER_PATH, { "--no-output", "--plot", "T", i } },
        { TOLVO_DEMO_SIGNAL_PATH, { "T" } },
    };
    for (const auto& target : { fifo, folder, device, existing })
        for (const auto& [program, pattern] : writers)
        {
            if (target == folder && pattern[0] == i)
                continue; // IN FOLDER renders into the folder
            auto args = pattern;
            args.set (args.indexOf ("T"), target.getFullPathName());
            if (target != existing)
                args.insert (0, "--force");
            const auto r = runTool (program, args);
            EXPECT_EQ (r.exitCode, 1) << program << " " << args.joinIntoString (" ");
            EXPECT_EQ (juce::StringArray::fromLines (r.err.trim()).size(), 1) << r.err;
            EXPECT_TRUE (isUntouched (target)) << args.joinIntoString (" ");
            EXPECT_EQ (entries(), before) << args.joinIntoString (" ");
        }

    // A write cut short (here by a file-size limit) is an error, and leaves no file.
    const auto out = file ("out.wav");
    for (const auto& [program, args] : { std::pair { TOLVO_RENDER_PATH, juce::StringArray { i, out.getFullPathName() } },
                                         std::pair { TOLVO_DEMO_SIGNAL_PATH, juce::StringArray { out.getFullPathName() } } })
    {
        const auto r = runTool (program, args, 4000);
        EXPECT_EQ (r.exitCode, 1) << program << ": " << r.err;
        EXPECT_TRUE (r.err.contains ("cannot write")) << r.err;
        EXPECT_EQ (entries(), before) << program;
    }

    // Only the report: no audio written anywhere. And --help is help, not a file name.
    const auto report = runRender ({ "--no-output", i });
    EXPECT_EQ (report.exitCode, 0) << report.err;
    EXPECT_TRUE (report.out.contains ("true peak")) << report.out;
    const auto help = runTool (TOLVO_DEMO_SIGNAL_PATH, { "--help" });
    EXPECT_EQ (help.exitCode, 0);
    EXPECT_TRUE (help.out.startsWith ("usage: tolvo-demo-signal")) << help.out;
    EXPECT_EQ (entries(), before);
}

// In shards that ctest runs side by side: every cut is a run of the tool of
// its own, which the sanitizer builds make slow.
class RenderToolContainerTest : public RenderToolTest, public ::testing::WithParamInterface<int>
{
};
constexpr int containerShards = 4;

TEST_P (RenderToolContainerTest, EveryContainerCutShortIsRefused)
{
    // Inserts `bytes` of padding chunk before a WAV's data chunk, as recorders' metadata does.
    const auto padBeforeData = [] (juce::MemoryBlock& data, size_t bytes)
    {
        const auto* d = static_cast<const char*> (data.getData());
        size_t pos = 12;
        while (pos + 8 < data.getSize() && std::memcmp (d + pos, "data", 4) != 0)
            pos += 8 + (size_t) juce::ByteOrder::littleEndianInt (d + pos + 4);
        juce::MemoryBlock chunk (8 + bytes, true);
        std::memcpy (chunk.getData(), "JUNK", 4);
        const auto size = juce::ByteOrder::swapIfBigEndian ((juce::uint32) bytes);
        std::memcpy (static_cast<char*> (chunk.getData()) + 4, &size, 4);
        data.insert (chunk.getData(), chunk.getSize(), pos);
    };

    const auto audio = programSignal (2, 30000, 0.5f);
    int majors = 0, subtypes = 0, tried = 0;
    sf_command (nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &majors, sizeof (int));
    sf_command (nullptr, SFC_GET_FORMAT_SUBTYPE_COUNT, &subtypes, sizeof (int));
    const auto whole = file ("whole"), cut = file ("cut"), out = file ("out.wav");

    int candidate = 0;
    for (int m = 0; m < majors; ++m)
        for (int s = -1; s < subtypes; ++s)
        {
            SF_FORMAT_INFO major { m, nullptr, nullptr }, subtype { s, nullptr, nullptr };
            sf_command (nullptr, SFC_GET_FORMAT_MAJOR, &major, sizeof (major));
            sf_command (nullptr, SFC_GET_FORMAT_SUBTYPE, &subtype, sizeof (subtype));
            // These headers hold no count of their own: a shorter file is a whole file.
            static const int uncounted[] = { SF_FORMAT_RAW, SF_FORMAT_AVR, SF_FORMAT_MAT5, SF_FORMAT_MPC2K, SF_FORMAT_PAF,
                                             SF_FORMAT_PVF, SF_FORMAT_IRCAM, SF_FORMAT_VOC, SF_FORMAT_NIST };
            if (std::find (std::begin (uncounted), std::end (uncounted), major.format) != std::end (uncounted))
                continue;
            // s == -1: WAV and RF64 again, with 70 KB of metadata before the data.
            const bool padded = s < 0;
            if (padded && major.format != SF_FORMAT_WAV && major.format != SF_FORMAT_RF64)
                continue;
            const int format = major.format | (padded ? SF_FORMAT_PCM_16 : subtype.format);
            SF_INFO info { 0, 8000, 2, format, 0, 0 };
            if (sf_format_check (&info) == SF_FALSE || candidate++ % containerShards != GetParam())
                continue;

            SNDFILE* f = sf_open (whole.getFullPathName().toRawUTF8(), SFM_WRITE, &info);
            if (f == nullptr)
                continue; // a format this libsndfile reads but cannot write here
            std::vector<float> interleaved ((size_t) audio.getNumSamples() * 2);
            for (int i = 0; i < audio.getNumSamples(); ++i)
                for (int ch = 0; ch < 2; ++ch)
                    interleaved[(size_t) (2 * i + ch)] = audio.getSample (ch, i);
            sf_writef_float (f, interleaved.data(), audio.getNumSamples());
            sf_close (f);

            juce::MemoryBlock bytes;
            whole.loadFileAsData (bytes);
            if (padded)
                padBeforeData (bytes, 70000);
            const auto name = juce::String (major.extension) + " " + (padded ? "padded" : subtype.name);
            const auto size = bytes.getSize();
            cut.replaceWithData (bytes.getData(), size);
            if (runRender ({ "-q", cut.getFullPathName(), out.getFullPathName() }).exitCode != 0)
                continue; // written, but not read back from one file (a resource fork, say)
            out.deleteFile();
            ++tried;

            // Not the last byte alone: it can be a pad byte after the last chunk.
            for (const auto at : { size / 3, size - size / 8, size - 2 })
            {
                cut.replaceWithData (bytes.getData(), at);
                const auto r = runRender ({ "-q", cut.getFullPathName(), out.getFullPathName() });
                EXPECT_EQ (r.exitCode, 1) << name << " cut at " << at << " of " << size;
                EXPECT_FALSE (out.existsAsFile()) << name;
                out.deleteFile();
            }
        }
    EXPECT_GT (tried, 40 / containerShards);

    // No frames at all: cut inside the data chunk's header, or an empty data chunk.
    if (GetParam() != 0)
        return;
    writeAudio (whole, programSignal (1, 100, 0.5f), 48000.0, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    juce::MemoryBlock bytes;
    whole.loadFileAsData (bytes);
    for (const auto at : { bytes.getSize() - 200 - 4, bytes.getSize() - 200 })
    {
        cut.replaceWithData (bytes.getData(), at);
        EXPECT_EQ (runRender ({ cut.getFullPathName(), out.getFullPathName() }).exitCode, 1) << "cut at " << at;
        EXPECT_FALSE (out.existsAsFile());
    }
}

INSTANTIATE_TEST_SUITE_P (Shards, RenderToolContainerTest, ::testing::Range (0, containerShards));

TEST_F (RenderToolTest, FilesRenderedSideBySideComeOutAsOneByOneInTheOrderGiven)
{
    // The long file first, so the short ones finish before it; one bad file among them.
    juce::StringArray inputs;
    for (const auto& [name, frames] : { std::pair { "long.wav", 60000 }, { "bad.wav", 0 }, { "short.wav", 500 }, { "mid.wav", 9000 }, { "tiny.wav", 50 } })
    {
        if (frames == 0)
            file (name).replaceWithText ("not audio");
        else
            writeAudio (file (name), programSignal (2, frames, 1.4f), 48000.0, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
        inputs.add (file (name).getFullPathName());
    }

    // Each way of reporting, one file at a time and three at once.
    for (const auto& extra : { juce::StringArray { "--json" }, juce::StringArray { "--bits", "16" } })
    {
        RenderRun runs[2];
        for (int k = 0; k < 2; ++k)
        {
            auto args = inputs;
            args.addArray (extra);
            args.addArray ({ "-j", k == 0 ? "1" : "3", "-o", file ("out" + juce::String (k)).getFullPathName() });
            runs[k] = runRender (args);
            EXPECT_EQ (runs[k].exitCode, 1) << runs[k].err;
        }
        SCOPED_TRACE (extra.joinIntoString (" "));
        EXPECT_EQ (runs[1].out, runs[0].out.replace ("out0", "out1"));
        EXPECT_EQ (runs[1].err, runs[0].err);
        for (const auto* name : { "long.wav", "short.wav", "mid.wav", "tiny.wav" })
        {
            juce::MemoryBlock alone, side;
            EXPECT_TRUE (file ("out0").getChildFile (name).loadFileAsData (alone));
            EXPECT_TRUE (file ("out1").getChildFile (name).loadFileAsData (side));
            EXPECT_TRUE (alone == side && alone.getSize() > 0) << name;
        }
        file ("out0").deleteRecursively();
        file ("out1").deleteRecursively();
    }
}
