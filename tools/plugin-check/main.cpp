// tolvo-plugin-check: loads the built VST3 and LV2 through the framework's own
// plug-in hosting, as a host would, and checks what Linux hosts rely on.
//
// usage: tolvo-plugin-check VST3_BUNDLE LV2_BUNDLE TOLVO_RENDER WORK_DIR
//
// The framework's LV2 hosting searches ~/.lv2 (not LV2_PATH), so the LV2
// bundle is copied into WORK_DIR/home/.lv2 and HOME points there.

#include "CheckReport.h"

#include "../../tests/AllocationCounter.h"

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <thread>

void createWindowManagerAtoms();

namespace
{
constexpr double checkRate = 48000.0;
constexpr int preparedBlock = 4096;
constexpr int signalFrames = 72000;
const juce::String lv2Uri = "https://korvald.com/plugins/tolvo";

using Instance = std::unique_ptr<juce::AudioPluginInstance>;

std::string str (const juce::String& s) { return s.toStdString(); }

// White noise at amplitude 2.0, the same for every run.
juce::AudioBuffer<float> noise (int frames, juce::int64 seed)
{
    juce::Random random (seed);
    juce::AudioBuffer<float> b (2, frames);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < frames; ++i)
            b.setSample (ch, i, 2.0f * (random.nextFloat() * 2.0f - 1.0f));

    return b;
}

struct Difference
{
    int count = 0;
    float largest = 0.0f;
    bool none() const { return count == 0; }
    std::string text() const { return std::to_string (count) + " samples differ, by up to " + std::to_string (largest); }
};

Difference compare (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    Difference d;

    if (a.getNumChannels() != b.getNumChannels() || a.getNumSamples() != b.getNumSamples())
        return { -1, 0.0f };

    for (int ch = 0; ch < a.getNumChannels(); ++ch)
        for (int i = 0; i < a.getNumSamples(); ++i)
            if (a.getSample (ch, i) != b.getSample (ch, i))
            {
                ++d.count;
                d.largest = juce::jmax (d.largest, std::abs (a.getSample (ch, i) - b.getSample (ch, i)));
            }

    return d;
}

float peakFrom (const juce::AudioBuffer<float>& b, int start)
{
    float peak = 0.0f;

    for (int ch = 0; ch < b.getNumChannels(); ++ch)
        for (int i = start; i < b.getNumSamples(); ++i)
            peak = juce::jmax (peak, std::abs (b.getSample (ch, i)));

    return peak;
}

// Runs a signal through an instance in blocks of the given sizes (repeated),
// like a host's audio callback; counts the allocations of every block but
// those longer than prepared.
struct Run
{
    juce::AudioBuffer<float> output;
    size_t allocations = 0;
    int blocks = 0;
};

Run process (juce::AudioPluginInstance& plugin, const juce::AudioBuffer<float>& input, const std::vector<int>& sizes,
             const std::function<void (int)>& beforeBlock = {})
{
    Run run;
    run.output.makeCopyOf (input);
    juce::AudioBuffer<float> scratch (2, preparedBlock * 2);
    juce::MidiBuffer midi;
    midi.ensureSize (1024);

    int position = 0;

    for (size_t k = 0; position < input.getNumSamples(); ++k)
    {
        const int length = juce::jmin (sizes[k % sizes.size()], input.getNumSamples() - position);

        if (beforeBlock)
            beforeBlock (run.blocks);

        for (int ch = 0; ch < 2; ++ch)
            scratch.copyFrom (ch, 0, input, ch, position, length);

        juce::AudioBuffer<float> block (scratch.getArrayOfWritePointers(), plugin.getTotalNumOutputChannels(), length);

        {
            const AllocationCounter counter;
            plugin.processBlock (block, midi);

            if (length <= preparedBlock)
                run.allocations += counter.count();

            if (std::getenv ("TOLVO_CHECK_VERBOSE") != nullptr && counter.count() != 0)
                std::printf ("  block %d (%d frames): %zu allocations\n", run.blocks, length, counter.count());
        }

        midi.clear();

        for (int ch = 0; ch < plugin.getTotalNumOutputChannels(); ++ch)
            run.output.copyFrom (ch, position, scratch, ch, 0, length);

        position += length;
        ++run.blocks;
    }

    return run;
}

// Lets the host's message loop deliver what the plug-in posted (latency,
// parameter values), as a running host's loop would.
void settle()
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (30);
}

// An empty block: lets an LV2 plug-in report on its output port (the only way
// LV2 has) without any audio running.
void emptyBlock (juce::AudioPluginInstance& plugin)
{
    juce::AudioBuffer<float> none (2, 0);
    juce::MidiBuffer midi;
    plugin.processBlock (none, midi);
    settle();
}

bool writeWav (const juce::File& file, const juce::AudioBuffer<float>& b, double rate)
{
    file.deleteFile();
    std::unique_ptr<juce::OutputStream> out (file.createOutputStream());
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (out.get(), rate, 2, 32, {}, 0));

    if (writer == nullptr)
        return false;

    static_cast<void> (out.release()); // the writer owns it now
    return writer->writeFromFloatArrays (b.getArrayOfReadPointers(), 2, b.getNumSamples());
}

bool readWav (const juce::File& file, juce::AudioBuffer<float>& b)
{
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatReader> reader (wav.createReaderFor (file.createInputStream().release(), true));

    if (reader == nullptr)
        return false;

    b.setSize ((int) reader->numChannels, (int) reader->lengthInSamples);
    return reader->read (&b, 0, (int) reader->lengthInSamples, 0, true, true);
}

// What tolvo-render makes of the signal, with the delay kept in.
bool render (const juce::String& tool, const juce::File& dir, const juce::AudioBuffer<float>& input, juce::AudioBuffer<float>& out,
             double rate = checkRate)
{
    const auto in = dir.getChildFile ("check-in.wav");
    const auto result = dir.getChildFile ("check-out.wav");

    if (! writeWav (in, input, rate))
        return false;

    juce::ChildProcess child;
    juce::StringArray args { tool, "-q", "--force", "--keep-latency", "--level", "-1.0", in.getFullPathName(), result.getFullPathName() };

    if (! child.start (args) || ! child.waitForProcessToFinish (60000) || child.getExitCode() != 0)
        return false;

    // The kept delay lengthens the file by its tail; a host's blocks cover the input's length.
    if (! readWav (result, out) || out.getNumSamples() < input.getNumSamples())
        return false;
    out.setSize (out.getNumChannels(), input.getNumSamples(), true);
    return true;
}

constexpr float levelNormalised (float db) { return (db + 6.0f) / 6.0f; }

juce::AudioProcessorParameter* findParameter (juce::AudioPluginInstance& plugin, const juce::String& name)
{
    for (auto* p : plugin.getParameters())
        if (p->getName (100) == name)
            return p;

    return nullptr;
}

// Sets Level from the host's side, as automation would, and lets it arrive:
// the same value tolvo-render --level gives, through the same snapping.
void setLevel (juce::AudioPluginInstance& plugin, float db)
{
    settle();

    if (auto* level = findParameter (plugin, "Level"))
        level->setValueNotifyingHost (levelNormalised (db));

    emptyBlock (plugin);
}

struct Host
{
    juce::AudioPluginFormatManager formats;
    juce::String formatName, fileOrId;

    Instance load (double rate = checkRate, int block = preparedBlock)
    {
        for (auto* format : formats.getFormats())
        {
            if (format->getName() != formatName)
                continue;

            juce::OwnedArray<juce::PluginDescription> types;
            format->findAllTypesForFile (types, fileOrId);

            if (types.isEmpty())
                return {};

            juce::String error;
            auto instance = formats.createPluginInstance (*types[0], rate, block, error);

            if (instance != nullptr)
                instance->enableAllBuses();

            return instance;
        }

        return {};
    }

    // Loaded and prepared, as a host does before the first block.
    Instance start (double rate = checkRate)
    {
        auto plugin = load (rate);

        if (plugin != nullptr)
        {
            plugin->prepareToPlay (rate, preparedBlock);
            setLevel (*plugin, -1.0f);
        }

        return plugin;
    }
};

// What the host shows right after instantiation: the plug-in's defaults.
void checkDefaults (CheckReport& report, Host& host, const std::string& f)
{
    auto p = host.load();
    p->prepareToPlay (checkRate, preparedBlock);
    emptyBlock (*p);
    const float enable = findParameter (*p, "Enable")->getValue();
    const float level = findParameter (*p, "Level")->getValue() * 6.0f - 6.0f;
    report.check (f + "host sees the values after instantiation", enable == 1.0f && std::abs (level + 0.1f) < 1.0e-4f,
                  "Enable " + std::to_string (enable) + ", Level " + std::to_string (level) + " dB");
}

// Layouts.
void checkLayouts (CheckReport& report, Host& host, const std::string& f, juce::AudioPluginInstance& plugin)
{
    using Set = juce::AudioChannelSet;
    const auto layout = [] (const Set& in, const Set& out)
    {
        juce::AudioProcessor::BusesLayout l;
        l.inputBuses.add (in);
        l.outputBuses.add (out);
        return l;
    };
    const bool stereo = plugin.checkBusesLayoutSupported (layout (Set::stereo(), Set::stereo()));
    const bool mono = plugin.checkBusesLayoutSupported (layout (Set::mono(), Set::mono()));
    const bool mixed = plugin.checkBusesLayoutSupported (layout (Set::stereo(), Set::mono()));
    // An LV2 description fixes its ports: this URI is the stereo plug-in.
    const bool monoExpected = host.formatName != "LV2";
    report.check (f + (monoExpected ? "mono and stereo layouts" : "stereo layout (ports fixed by the description)"),
                  stereo && mono == monoExpected && ! mixed,
                  std::string ("stereo ") + (stereo ? "yes" : "no") + ", mono " + (mono ? "yes" : "no") + ", stereo to mono " + (mixed ? "yes" : "no"));
}

// Latency after prepare.
void checkLatency (CheckReport& report, Host& host, const std::string& f)
{
    for (const auto& [rate, expected] : { std::pair { 44100.0, 1323 }, { 48000.0, 1440 }, { 96000.0, 2880 }, { 192000.0, 5760 } })
    {
        auto p = host.start (rate);
        emptyBlock (*p);
        report.check (f + "latency at " + std::to_string ((int) rate) + " Hz", p->getLatencySamples() == expected,
                      std::to_string (p->getLatencySamples()) + " samples");
    }
}

// Random block sizes, an empty block and one longer than prepared, against
// tolvo-render; no allocation in any block the host was entitled to send.
void checkRandomBlocks (CheckReport& report, const std::string& f, juce::AudioPluginInstance& plugin, const juce::AudioBuffer<float>& input, const juce::String& renderTool, const juce::File& work)
{
    juce::AudioBuffer<float> reference;
    const bool rendered = render (renderTool, work, input, reference);

    juce::Random random (7);
    std::vector<int> sizes;
    sizes.reserve (200);

    for (int i = 0; i < 200; ++i)
        sizes.push_back (i % 17 == 5 ? 0 : 1 + random.nextInt (preparedBlock));

    sizes[10] = preparedBlock + 1904;

    plugin.prepareToPlay (checkRate, preparedBlock);
    setLevel (plugin, -1.0f);
    const auto run = process (plugin, input, sizes);
    const auto d = compare (run.output, reference);
    report.check (f + "random blocks (0, 1..4096, one of 6000) equal tolvo-render", rendered && d.none(),
                  rendered ? d.text() : "tolvo-render failed");
    report.check (f + "no allocation in " + std::to_string (run.blocks) + " blocks", run.allocations == 0,
                  std::to_string (run.allocations) + " allocations");
}

// Automation while processing.
void checkAutomation (CheckReport& report, Host& host, const std::string& f, const juce::AudioBuffer<float>& input)
{
    auto p = host.start();
    auto* enable = findParameter (*p, "Enable");
    auto* level = findParameter (*p, "Level");
    const int block = 512;
    bool bypassedBlockPassedThrough = true;
    const auto run = process (*p, input, { block }, [&] (int n)
                              {
                                  if (n == 20) enable->setValueNotifyingHost (0.0f);
                                  if (n == 30)
                                  {
                                      enable->setValueNotifyingHost (1.0f);
                                      level->setValueNotifyingHost (levelNormalised (-6.0f));
                                  } });

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 21 * block; i < 30 * block; ++i)
            bypassedBlockPassedThrough = bypassedBlockPassedThrough && run.output.getSample (ch, i) == input.getSample (ch, i);

    const float peak = peakFrom (run.output, 30 * block + p->getLatencySamples());
    const float ceiling = std::pow (10.0f, -6.0f / 20.0f);
    report.check (f + "automation: Enable off passes the input untouched", bypassedBlockPassedThrough);
    report.check (f + "automation: Level -6 dB holds the output under the ceiling", peak <= ceiling * 1.000001f,
                  "peak " + std::to_string (peak) + ", ceiling " + std::to_string (ceiling));
}

// A new rate without a release in between.
void checkRateChange (CheckReport& report, Host& host, const std::string& f, const juce::AudioBuffer<float>& input, const juce::String& renderTool, const juce::File& work)
{
    auto p = host.start();
    process (*p, input, { 512 });
    p->prepareToPlay (96000.0, preparedBlock);
    setLevel (*p, -1.0f);
    const auto run = process (*p, input, { 480 });
    juce::AudioBuffer<float> reference;
    const bool rendered = render (renderTool, work, input, reference, 96000.0);
    const auto d = compare (run.output, reference);
    report.check (f + "rate change without release: latency and tolvo-render's output at 96 kHz",
                  p->getLatencySamples() == 2880 && rendered && d.none(),
                  "latency " + std::to_string (p->getLatencySamples()) + ", " + d.text());
}

// State through the format, read by a fresh instance; the host sees the
// restored values.
void checkState (CheckReport& report, Host& host, const std::string& f, const juce::AudioBuffer<float>& input)
{
    auto p = host.start();
    findParameter (*p, "Enable")->setValueNotifyingHost (0.0f);
    findParameter (*p, "Level")->setValueNotifyingHost (levelNormalised (-2.37f));
    emptyBlock (*p);
    juce::MemoryBlock state;
    p->getStateInformation (state);

    auto fresh = host.start();
    fresh->setStateInformation (state.getData(), (int) state.getSize());
    emptyBlock (*fresh);
    const float enable = findParameter (*fresh, "Enable")->getValue();
    const float level = findParameter (*fresh, "Level")->getValue();
    const auto run = process (*fresh, input, { 512 });
    report.check (f + "state read by a fresh instance, host-side values included",
                  enable == 0.0f && std::abs (level - levelNormalised (-2.37f)) < 1.0e-4f && compare (run.output, input).none(),
                  "Enable " + std::to_string (enable) + ", Level " + std::to_string (level * 6.0f - 6.0f) + " dB");
}

// Deactivate and activate equal a fresh start.
void checkFreshStart (CheckReport& report, Host& host, const std::string& f, const juce::AudioBuffer<float>& input)
{
    const auto second = noise (signalFrames, 2);
    auto p = host.start();
    process (*p, input, { 512 });
    p->releaseResources();
    p->prepareToPlay (checkRate, preparedBlock);
    setLevel (*p, -1.0f);
    const auto again = process (*p, second, { 512 });

    auto fresh = host.start();
    const auto first = process (*fresh, second, { 512 });
    const auto d = compare (again.output, first.output);
    report.check (f + "deactivate and activate equal a fresh start", d.none(), d.text());
}

// The host's bypass: the input comes out delayed by the latency, unlimited.
void checkHostBypass (CheckReport& report, Host& host, const std::string& f, const juce::AudioBuffer<float>& input)
{
    auto p = host.start();
    auto* bypass = p->getBypassParameter();
    bool delayed = bypass != nullptr;

    if (bypass != nullptr)
    {
        bypass->setValueNotifyingHost (1.0f);
        emptyBlock (*p);
        const auto run = process (*p, input, { 512 });
        const int n = p->getLatencySamples();

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < input.getNumSamples(); ++i)
                delayed = delayed && run.output.getSample (ch, i) == (i < n ? 0.0f : input.getSample (ch, i - n));
    }

    report.check (f + "host bypass: input delayed by the latency, unlimited", delayed);
}

// The window opened and closed 100 times while audio runs. Under the
// framework's LV2 hosting this sometimes crashes inside the checking host
// itself: its XEmbedComponent posts a callback holding a raw pointer to
// itself on ConfigureNotify, which can run after the window is gone. So
// the LV2 window runs only on request.
void checkWindow (CheckReport& report, Host& host, const std::string& f, const juce::AudioBuffer<float>& input)
{
    if (host.formatName == "LV2" && std::getenv ("TOLVO_CHECK_LV2_WINDOW") == nullptr)
    {
        std::printf ("skip %swindow opened and closed 100 times: the framework's LV2 hosting can crash on its own "
                     "window callbacks (TOLVO_CHECK_LV2_WINDOW=1 runs it)\n",
                     f.c_str());
    }
    else
    {
        auto p = host.start();
        std::atomic<bool> running { true };
        std::atomic<int> blocks { 0 };
        std::atomic<bool> finite { true };

        std::thread audio ([&]
                           {
                               juce::AudioBuffer<float> b (2, 256);
                               juce::MidiBuffer midi;
                               int offset = 0;

                               while (running)
                               {
                                   for (int ch = 0; ch < 2; ++ch)
                                       b.copyFrom (ch, 0, input, ch, offset, 256);

                                   p->processBlock (b, midi);
                                   finite = finite && std::isfinite (b.getMagnitude (0, 256));
                                   offset = (offset + 256) % (signalFrames - 256);
                                   ++blocks;
                                   std::this_thread::sleep_for (std::chrono::milliseconds (1));
                               } });

        int opened = 0;

        const int windows = std::getenv ("TOLVO_CHECK_WINDOWS") != nullptr ? std::atoi (std::getenv ("TOLVO_CHECK_WINDOWS")) : 100;

        for (int i = 0; i < windows; ++i)
        {
            std::unique_ptr<juce::AudioProcessorEditor> editor (p->createEditor());

            if (editor == nullptr)
                break;

            editor->setVisible (true);
            editor->addToDesktop (0);
            juce::MessageManager::getInstance()->runDispatchLoopUntil (5);

            // Closed as a host closes its window: hidden first, then gone.
            editor->setVisible (false);
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
            ++opened;
        }

        running = false;
        audio.join();
        report.check (f + "window opened and closed 100 times while audio runs", opened == windows && blocks > 0 && finite,
                      std::to_string (opened) + " windows, " + std::to_string (blocks.load()) + " blocks");
    }
}

// Every check of one format, in turn.
void checkFormat (CheckReport& report, Host& host, const juce::String& renderTool, const juce::File& work)
{
    const auto f = str (host.formatName) + " ";
    const auto input = noise (signalFrames, 1);

    auto plugin = host.load();
    report.check (f + "loads as Tolvo", plugin != nullptr && plugin->getName() == "Tolvo",
                  plugin != nullptr ? str (plugin->getName()) : "not loaded");

    if (plugin == nullptr)
        return;

    checkDefaults (report, host, f);
    checkLayouts (report, host, f, *plugin);
    checkLatency (report, host, f);
    checkRandomBlocks (report, f, *plugin, input, renderTool, work);
    checkAutomation (report, host, f, input);
    checkRateChange (report, host, f, input, renderTool, work);
    checkState (report, host, f, input);
    checkFreshStart (report, host, f, input);
    checkHostBypass (report, host, f, input);
    checkWindow (report, host, f, input);
}
} // namespace

int main (int argc, char** argv)
{
    if (argc != 5)
    {
        std::fprintf (stderr, "usage: tolvo-plugin-check VST3_BUNDLE LV2_BUNDLE TOLVO_RENDER WORK_DIR\n");
        return 2;
    }

    const juce::File vst3 { juce::String (argv[1]) };
    const juce::File lv2Bundle { juce::String (argv[2]) };
    const juce::String renderTool { argv[3] };
    const juce::File work { juce::String (argv[4]) };

    // The framework's LV2 hosting looks in ~/.lv2 and the system folders only.
    const auto home = work.getChildFile ("home");
    home.deleteRecursively();
    lv2Bundle.copyDirectoryTo (home.getChildFile (".lv2").getChildFile (lv2Bundle.getFileName()));
    ::setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);

    // The window's update check must not wait for a network the check lacks.
    for (auto* name : { "http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY" })
        ::unsetenv (name);

    CheckReport report;
    createWindowManagerAtoms();

    {
        juce::ScopedJuceInitialiser_GUI gui;

        for (const auto& [name, id] : { std::pair<juce::String, juce::String> { "VST3", vst3.getFullPathName() }, { "LV2", lv2Uri } })
        {
            Host host;
            host.formats.addDefaultFormats();
            host.formatName = name;
            host.fileOrId = id;
            checkFormat (report, host, renderTool, work);
        }

        // Update checks started by the windows end within their time-out.
        juce::MessageManager::getInstance()->runDispatchLoopUntil (3500);
    }

    return report.summarise();
}
