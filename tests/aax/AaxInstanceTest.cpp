// Instances as the stand-in host runs them: initialisation and latency, audio with
// and without Master Bypass, parameters from both sides, chunks, the GUI object and
// the count of live objects.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "AAX_CString.h"
#include "AAX_Errors.h"
#include "AaxTestSupport.h"
#include "ProcessorState.h"
#include "AudioData.h"
#include "processor/TolvoParameters.h"

using namespace aaxtest;

namespace
{
using TolvoParameters::enableId;
using TolvoParameters::levelId;

constexpr AAX_CTypeID elck = 0x656C636B;
constexpr AAX_CTypeID juce = 0x6A756365;

std::unique_ptr<HostInstance> makeInstance (int channels, double rate)
{
    auto instance = std::make_unique<HostInstance> (description().effects.at (0), component (channels), rate);
    EXPECT_EQ (instance->create(), AAX_SUCCESS);
    return instance;
}

// Loud material that the limiter must work on: tones with bursts well over the ceiling.
AudioData testSignal (int channels, double rate, double seconds, unsigned seed)
{
    AudioData wav;
    wav.sampleRate = rate;
    const auto frames = static_cast<size_t> (rate * seconds);
    std::mt19937 random (seed);
    std::uniform_real_distribution<float> noise (-0.3f, 0.3f);

    for (int c = 0; c < channels; ++c)
    {
        std::vector<float> samples (frames);

        for (size_t i = 0; i < frames; ++i)
        {
            const auto t = static_cast<double> (i) / rate;
            const auto burst = (i / 3000) % 3 == 0 ? 1.3 : 0.5;
            samples[i] = static_cast<float> (burst * std::sin (2.0 * M_PI * (180.0 + 70.0 * c) * t)) + noise (random);
        }

        wav.channels.push_back (std::move (samples));
    }

    return wav;
}

bool hasEvent (const HostInstance& instance, const std::string& event)
{
    return std::find (instance.events.begin(), instance.events.end(), event) != instance.events.end();
}

} // namespace

TEST (AaxInstance, ReportsThirtyMillisecondsOfLatencyAtEachRate)
{
    for (const auto& [rate, expected] : { std::pair<double, int32_t> { 44100.0, 1323 }, { 48000.0, 1440 }, { 96000.0, 2880 } })
    {
        for (int channels : { 1, 2 })
        {
            auto instance = makeInstance (channels, rate);
            ASSERT_FALSE (instance->latencyReports.empty());
            EXPECT_EQ (instance->latencyReports.back(), expected) << rate << " Hz, " << channels << " channel(s)";
        }
    }

    EXPECT_EQ (host().canUnloadNow(), 0);
}

TEST (AaxInstance, RefusesStemFormatsTheProcessorDoesNotTake)
{
    HostInstance monoToStereo (description().effects.at (0), component (1), 48000.0, AAX_eStemFormat_Mono, AAX_eStemFormat_Stereo);
    EXPECT_EQ (monoToStereo.create(), AAX_ERROR_UNIMPLEMENTED);

    HostInstance surround (description().effects.at (0), component (2), 48000.0, AAX_eStemFormat_5_1, AAX_eStemFormat_5_1);
    EXPECT_EQ (surround.create(), AAX_ERROR_UNIMPLEMENTED);
}

TEST (AaxInstance, ShowsTheHostThreeParametersInOrder)
{
    auto instance = makeInstance (2, 48000.0);
    const auto parameters = instance->listParameters();
    ASSERT_EQ (parameters.size(), 3u);

    EXPECT_EQ (parameters[0].id, "dbEnable");
    EXPECT_EQ (parameters[0].name, "Enable");
    EXPECT_EQ (parameters[0].shortName, "Enab");
    EXPECT_EQ (parameters[0].steps, 2);
    EXPECT_EQ (parameters[0].type, AAX_eParameterType_Discrete);
    EXPECT_DOUBLE_EQ (parameters[0].defaultValue, 1.0);

    EXPECT_EQ (parameters[1].id, "dbMain");
    EXPECT_EQ (parameters[1].name, "Level");
    EXPECT_EQ (parameters[1].shortName, "Leve");
    EXPECT_EQ (parameters[1].steps, 2048);
    EXPECT_EQ (parameters[1].type, AAX_eParameterType_Continuous);
    EXPECT_NEAR (parameters[1].defaultValue, (-0.1 + 6.0) / 6.0, 1e-6);

    EXPECT_EQ (parameters[2].id, "MasterBypassID");
    EXPECT_EQ (parameters[2].name, "Master Bypass");
    EXPECT_EQ (parameters[2].shortName, "Mast");
    EXPECT_EQ (parameters[2].steps, 2);
    EXPECT_EQ (parameters[2].type, AAX_eParameterType_Discrete);
    EXPECT_DOUBLE_EQ (parameters[2].defaultValue, 0.0);

    for (const auto& p : parameters)
    {
        EXPECT_TRUE (p.automatable) << p.id;
        EXPECT_EQ (p.orientation, 0) << p.id;
    }

    EXPECT_EQ (instance->masterBypassID(), "MasterBypassID");

    // Text both ways comes from the processor's parameter.
    AAX_CString text;
    ASSERT_EQ (instance->effect()->GetParameterStringFromValue (levelId, 0.5, &text, 32), AAX_SUCCESS);
    EXPECT_EQ (std::string (text.Get()).substr (0, 4), "-3.0");
    double value = 0;
    ASSERT_EQ (instance->effect()->GetParameterValueFromString (levelId, &value, AAX_CString ("-1.5")), AAX_SUCCESS);
    EXPECT_NEAR (value, 0.75, 1e-6);
}

TEST (AaxInstance, MasterBypassPassesTheInputUnchangedAndUndelayed)
{
    for (int channels : { 1, 2 })
    {
        auto instance = makeInstance (channels, 48000.0);
        ASSERT_EQ (instance->setParameter ("MasterBypassID", 1.0), AAX_SUCCESS);
        EXPECT_TRUE (hasEvent (*instance, "set MasterBypassID 1"));

        const auto input = testSignal (channels, 48000.0, 0.5, 7);
        const auto output = instance->processInBlocks (input, 256);
        EXPECT_EQ (output.channels, input.channels) << channels << " channel(s)";

        // Off again: the limiter's delay is back.
        ASSERT_EQ (instance->setParameter ("MasterBypassID", 0.0), AAX_SUCCESS);
        const auto limited = instance->processInBlocks (input, 256);
        EXPECT_NE (limited.channels, input.channels);
    }
}

TEST (AaxInstance, OutputEqualsTheRenderToolsOutput)
{
    // Not the default -0.1 dB: the plug-in keeps the default's exact float, which the
    // wrapper does not overwrite with the same normalized value, while tolvo-render
    // always sets Level and so gets it snapped to the 0.01 dB grid (-0.0999999).
    struct Case
    {
        int channels;
        double rate;
        const char* level;
        size_t block;
    };

    for (const auto& c : { Case { 2, 48000.0, "-1.0", 512 }, Case { 1, 44100.0, "-3.5", 100 }, Case { 2, 96000.0, "-0.5", 2048 } })
    {
        const auto input = testSignal (c.channels, c.rate, 1.0, 11);
        const auto in = tempPath ("in.wav"), viaAax = tempPath ("aax.wav"), viaRender = tempPath ("render.wav");
        ASSERT_TRUE (writeWav (in, input));

        const auto block = std::to_string (c.block);
        ASSERT_EQ (run (std::string (TOLVO_AAX_HOST_PATH) + " render " + libraryPath + " " + in + " " + viaAax
                        + " --level " + c.level + " --block " + block + " 2>/dev/null"),
                   0);
        ASSERT_EQ (run (std::string (TOLVO_RENDER_PATH) + " --keep-latency --level " + c.level + " --block " + block
                        + " " + in + " " + viaRender + " >/dev/null 2>&1"),
                   0);

        const auto a = readWav (viaAax), b = readWav (viaRender);
        EXPECT_EQ (a.sampleRate, c.rate);
        EXPECT_EQ (a.channels, b.channels) << c.channels << " channel(s) at " << c.rate << " Hz, level " << c.level;
        EXPECT_NE (a.channels, input.channels);

        std::remove (in.c_str());
        std::remove (viaAax.c_str());
        std::remove (viaRender.c_str());
    }
}

TEST (AaxInstance, RenderRefusesWhatWouldLoseDataOrMisleadWithAMessage)
{
    const auto in = tempPath ("rules-in.wav"), out = tempPath ("rules-out.wav"), fifo = tempPath ("rules-fifo"),
               folder = tempPath ("rules-folder"), cut = tempPath ("rules-cut.wav"), empty = tempPath ("rules-empty.wav");
    ASSERT_TRUE (writeWav (in, testSignal (2, 48000.0, 0.2, 3)));
    std::string bytes;
    {
        std::ifstream file (in, std::ios::binary);
        bytes.assign (std::istreambuf_iterator<char> (file), {});
    }
    std::ofstream (cut, std::ios::binary).write (bytes.data(), static_cast<std::streamsize> (bytes.size() / 2));
    std::ofstream (empty, std::ios::binary).write (bytes.data(), 44); // the header alone
    ASSERT_EQ (::mkfifo (fifo.c_str(), 0644), 0);
    ASSERT_EQ (::mkdir (folder.c_str(), 0755), 0);

    // IN OUT and options, each refused; OUT exists only as it was.
    const std::vector<std::string> cases = {
        in + " " + in + " --force",
        in + " " + fifo + " --force",
        in + " " + folder + " --force",
        in + " " + out,
        cut + " " + out + " --force",
        empty + " " + out + " --force",
        in + " " + out + " --force --level 5",
        in + " " + out + " --force --level inf",
        in + " " + out + " --force --level nan",
        in + " " + out + " --force --level -",
        in + " " + out + " --force --level -1-2",
        in + " " + out + " --force --block 0",
    };
    for (const auto& c : cases)
    {
        std::ofstream (out) << "keep me";
        const auto err = tempPath ("rules-err.txt");
        EXPECT_NE (run (std::string (TOLVO_AAX_HOST_PATH) + " render " + libraryPath + " " + c + " 2>" + err), 0) << c;
        std::ifstream message (err), kept (out);
        const std::string said ((std::istreambuf_iterator<char> (message)), {}), now ((std::istreambuf_iterator<char> (kept)), {});
        EXPECT_NE (said.find ("tolvo-aax-host: "), std::string::npos) << c;
        EXPECT_EQ (now, "keep me") << c;
        std::remove (err.c_str());
    }

    EXPECT_EQ (readWav (in).numFrames(), 9600u); // the input as it was
    struct stat s
    {
    };
    EXPECT_TRUE (::lstat (fifo.c_str(), &s) == 0 && S_ISFIFO (s.st_mode));
    EXPECT_TRUE (::lstat (folder.c_str(), &s) == 0 && S_ISDIR (s.st_mode));

    for (const auto& path : { in, out, fifo, cut, empty })
        std::remove (path.c_str());
    ::rmdir (folder.c_str());
}

TEST (AaxInstance, ParameterChangesTravelBothWays)
{
    auto instance = makeInstance (2, 48000.0);

    // From the host: the plug-in asks the host to set it, the host answers, the processor follows.
    instance->events.clear();
    ASSERT_EQ (instance->setParameter (levelId, 0.5), AAX_SUCCESS);
    EXPECT_TRUE (hasEvent (*instance, std::string ("set ") + levelId + " 0.5"));
    EXPECT_TRUE (hasEvent (*instance, std::string ("current ") + levelId + " 0.5"));
    EXPECT_DOUBLE_EQ (instance->value (levelId), 0.5);

    // Host automation playback goes straight to the update call.
    ASSERT_EQ (instance->effect()->UpdateParameterNormalizedValue (enableId, 0.0, AAX_eUpdateSource_Unspecified), AAX_SUCCESS);
    EXPECT_DOUBLE_EQ (instance->value (enableId), 0.0);

    // A gesture on a control reaches the host as touch and release.
    instance->events.clear();
    ASSERT_EQ (instance->effect()->TouchParameter (levelId), AAX_SUCCESS);
    ASSERT_EQ (instance->effect()->ReleaseParameter (levelId), AAX_SUCCESS);
    EXPECT_EQ (instance->events, (std::vector<std::string> { "touch dbMain", "release dbMain" }));

    // Unknown IDs change nothing.
    instance->events.clear();
    instance->setParameter ("dbNothing", 0.5);
    EXPECT_TRUE (instance->events.empty());

    // From the processor: a restored state sets both parameters with host notification.
    instance->events.clear();
    const auto state = processorStateFor (true, -4.5f);
    ASSERT_EQ (instance->restoreChunk (juce, state), AAX_SUCCESS);
    const auto level = (-4.5 + 6.0) / 6.0;
    EXPECT_TRUE (hasEvent (*instance, std::string ("set ") + enableId + " 1"));
    EXPECT_NEAR (instance->value (levelId), level, 1e-6);
    EXPECT_TRUE (hasEvent (*instance, std::string ("set ") + levelId + " " + HostInstance::formatValue (static_cast<float> (level))));
}

TEST (AaxInstance, JuceChunkIsTheProcessorsStateByteForByte)
{
    auto instance = makeInstance (2, 48000.0);

    int32_t count = 0;
    ASSERT_EQ (instance->effect()->GetNumberOfChunks (&count), AAX_SUCCESS);
    EXPECT_EQ (count, 2);

    AAX_CTypeID id = 0;
    ASSERT_EQ (instance->effect()->GetChunkIDFromIndex (0, &id), AAX_SUCCESS);
    EXPECT_EQ (id, elck);
    ASSERT_EQ (instance->effect()->GetChunkIDFromIndex (1, &id), AAX_SUCCESS);
    EXPECT_EQ (id, juce);

    std::vector<char> saved;
    ASSERT_EQ (instance->saveChunk (juce, saved), AAX_SUCCESS);
    EXPECT_EQ (saved, processorDefaultState());

    ASSERT_EQ (instance->setParameter (levelId, 0.25), AAX_SUCCESS);
    ASSERT_EQ (instance->setParameter (enableId, 0.0), AAX_SUCCESS);
    ASSERT_EQ (instance->saveChunk (juce, saved), AAX_SUCCESS);
    EXPECT_EQ (saved, processorStateFor (false, -4.5f));

    // Restoring into a fresh instance gives the same values and the same bytes back.
    auto other = makeInstance (1, 44100.0);
    other->events.clear();
    ASSERT_EQ (other->restoreChunk (juce, saved), AAX_SUCCESS);
    EXPECT_DOUBLE_EQ (other->value (enableId), 0.0);
    EXPECT_NEAR (other->value (levelId), 0.25, 1e-6);
    std::vector<char> again;
    ASSERT_EQ (other->saveChunk (juce, again), AAX_SUCCESS);
    EXPECT_EQ (again, saved);

    // Damaged bytes reach the processor, which ignores them; nothing breaks.
    std::vector<char> damaged (saved.begin(), saved.begin() + static_cast<std::ptrdiff_t> (saved.size() / 2));
    EXPECT_EQ (other->restoreChunk (juce, damaged), AAX_SUCCESS);
    EXPECT_EQ (other->restoreChunk (juce, {}), AAX_SUCCESS);
    EXPECT_DOUBLE_EQ (other->value (enableId), 0.0);
}

TEST (AaxInstance, ControlsChunkRoundTripsAndBadRequestsGetTheirCodes)
{
    auto instance = makeInstance (2, 48000.0);
    auto* effect = instance->effect();

    // The controls chunk before its size was asked for.
    std::vector<uint64_t> memory (64, 0);
    auto* chunk = reinterpret_cast<AAX_SPlugInChunk*> (memory.data());
    EXPECT_EQ (effect->GetChunk (elck, chunk), AAX_ERROR_INCORRECT_CHUNK_SIZE);

    std::vector<char> controls;
    std::string name;
    ASSERT_EQ (instance->saveChunk (elck, controls, &name), AAX_SUCCESS);
    EXPECT_EQ (name, "Complete Controls State");
    EXPECT_FALSE (controls.empty());

    ASSERT_EQ (instance->setParameter (levelId, 0.2), AAX_SUCCESS);
    ASSERT_EQ (instance->setParameter ("MasterBypassID", 1.0), AAX_SUCCESS);
    ASSERT_EQ (instance->restoreChunk (elck, controls), AAX_SUCCESS);
    EXPECT_NEAR (instance->value (levelId), (-0.1 + 6.0) / 6.0, 1e-6);
    EXPECT_DOUBLE_EQ (instance->value ("MasterBypassID"), 0.0);

    // Damaged controls chunks are refused without touching a parameter.
    for (size_t cut : { size_t (1), controls.size() / 2, controls.size() - 1 })
    {
        std::vector<char> damaged (controls.begin(), controls.begin() + static_cast<std::ptrdiff_t> (cut));
        EXPECT_NE (instance->restoreChunk (elck, damaged), AAX_SUCCESS) << cut;
    }

    std::vector<char> garbage (controls.size(), '\x7f');
    EXPECT_NE (instance->restoreChunk (elck, garbage), AAX_SUCCESS);
    EXPECT_NEAR (instance->value (levelId), (-0.1 + 6.0) / 6.0, 1e-6);

    AAX_CTypeID id = 0;
    uint32_t size = 0;
    EXPECT_EQ (effect->GetChunkIDFromIndex (2, &id), AAX_ERROR_INVALID_CHUNK_INDEX);
    EXPECT_EQ (effect->GetChunkIDFromIndex (-1, &id), AAX_ERROR_INVALID_CHUNK_INDEX);
    EXPECT_EQ (effect->GetChunkSize (0x78787878, &size), AAX_ERROR_INVALID_CHUNK_ID);
    EXPECT_EQ (effect->GetChunk (0x78787878, chunk), AAX_ERROR_INVALID_CHUNK_ID);
    EXPECT_EQ (effect->SetChunk (0x78787878, chunk), AAX_ERROR_INVALID_CHUNK_ID);
}

TEST (AaxInstance, GuiObjectShowsTheEditorAtItsSize)
{
    const auto threadsBefore = AaxHost::countThreads();

    {
        auto instance = makeInstance (2, 48000.0);
        EXPECT_EQ (host().canUnloadNow(), 1);

        // A view size asked before the window exists.
        using Factory = AAX_IEffectGUI* (*) ();
        auto factory = reinterpret_cast<Factory> (const_cast<void*> (description().effects.at (0).procPtr (1)));
        std::unique_ptr<AAX_IEffectGUI> early (factory());
        AAX_Point size;
        EXPECT_EQ (early->GetViewSize (&size), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (host().canUnloadNow(), 2);
        early.reset();

        ASSERT_EQ (instance->openGui(), AAX_SUCCESS);
        EXPECT_EQ (host().canUnloadNow(), 2);
        ASSERT_EQ (instance->gui()->GetViewSize (&size), AAX_SUCCESS);
        EXPECT_EQ (size.horz, 632.0f);
        EXPECT_EQ (size.vert, 340.0f);
        EXPECT_EQ (instance->gui()->ParameterUpdated (levelId), AAX_SUCCESS);

        instance->closeGui();
        EXPECT_EQ (host().canUnloadNow(), 1);
    }

    EXPECT_EQ (host().canUnloadNow(), 0);

    // The window's background update check ends on its own; wait so it does not outlive the test.
    EXPECT_TRUE (AaxHost::waitForThreads (threadsBefore, 15000));
}
