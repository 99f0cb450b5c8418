// The LV2 bundle as a host finds and runs it, through lilv: what its
// description tells hosts, and what the DSP binary does with its ports.
#include "AllocationCounter.h"
#include "RenderToolSupport.h"

#include "bench/HostedPlugin.h"
#include "host/lv2/TolvoLv2Uris.h"
#include "processor/TolvoParameters.h"

#include <gtest/gtest.h>

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>

namespace
{
constexpr int blockSize = 4096;
constexpr double rate = 48000.0;
constexpr int lookahead = 1440; // 30 ms at 48 kHz

struct Variant
{
    const char* uri;
    int channels;
    const char* name;
};

const Variant variants[] = { { TolvoLv2Uris::stereo, 2, "Tolvo" }, { TolvoLv2Uris::mono, 1, "Tolvo Mono" } };

// The system's LV2 folder (for the core vocabulary) and the built bundle,
// never a copy the user installed.
LilvHost& lilv()
{
    static LilvHost* host = []
    {
        ::setenv ("LV2_PATH", "/usr/lib/lv2", 1);
        return new LilvHost ({ TOLVO_LV2_BUNDLE }, blockSize);
    }();
    return *host;
}

const LilvPlugin* find (const Variant& v)
{
    const auto* plugin = lilv().findPlugin (v.uri);
    EXPECT_NE (plugin, nullptr) << v.uri;
    return plugin;
}

// Nodes are freed with the owner.
struct Node
{
    LilvNode* node;
    explicit Node (const char* uri) :
        node (lilv_new_uri (lilv().getWorld(), uri)) {}
    ~Node() { lilv_node_free (node); }
    operator const LilvNode*() const { return node; }
};

std::vector<float> noise (int frames, unsigned seed)
{
    std::mt19937 random (seed);
    std::uniform_real_distribution<float> amplitude (-2.0f, 2.0f);
    std::vector<float> s ((size_t) frames);

    for (auto& x : s)
        x = amplitude (random);

    return s;
}

// A signal per channel, run through in blocks of the given sizes (repeated),
// in place unless `apart`; `beforeBlock` may change controls. Counts operator
// new inside run().
struct Run
{
    std::vector<std::vector<float>> out;
    size_t allocations = 0;
};

Run process (HostedPlugin& p, const std::vector<std::vector<float>>& in, const std::vector<int>& sizes,
             const std::function<void (int)>& beforeBlock = {}, bool apart = false)
{
    Run r { apart ? std::vector<std::vector<float>> (in.size(), std::vector<float> (in[0].size(), 9.0f)) : in, 0 };
    const auto& source = apart ? in : r.out;
    auto& left = r.out[0];
    auto& right = r.out.back();
    size_t position = 0;

    for (int k = 0; position < left.size(); ++k)
    {
        const auto length = std::min ((size_t) sizes[(size_t) k % sizes.size()], left.size() - position);

        if (beforeBlock)
            beforeBlock (k);

        const AllocationCounter counter;
        p.run (source[0].data() + position, source.back().data() + position, left.data() + position, right.data() + position, (int) length);
        r.allocations += counter.count();
        position += length;
    }

    return r;
}

std::vector<std::vector<float>> signal (int channels, int frames, unsigned seed)
{
    std::vector<std::vector<float>> s;

    for (int ch = 0; ch < channels; ++ch)
        s.push_back (noise (frames, seed + (unsigned) ch));

    return s;
}

std::vector<float> delayed (const std::vector<float>& x, int by)
{
    std::vector<float> d (x.size(), 0.0f);
    std::copy (x.begin(), x.end() - by, d.begin() + by);
    return d;
}
} // namespace

TEST (Lv2Description, PluginsPortsAndIdentity)
{
    LilvWorld* world = lilv().getWorld();

    for (const auto& v : variants)
    {
        SCOPED_TRACE (v.uri);
        const auto* plugin = find (v);
        ASSERT_NE (plugin, nullptr);

        LilvNode* name = lilv_plugin_get_name (plugin);
        EXPECT_STREQ (lilv_node_as_string (name), v.name);
        lilv_node_free (name);
        EXPECT_STREQ (lilv_node_as_uri (lilv_plugin_class_get_uri (lilv_plugin_get_class (plugin))), LV2_CORE__LimiterPlugin);

        LilvNode* author = lilv_plugin_get_author_name (plugin);
        EXPECT_STREQ (author != nullptr ? lilv_node_as_string (author) : "", TOLVO_MAKER_NAME);
        lilv_node_free (author);

        const auto* uri = lilv_plugin_get_uri (plugin);
        EXPECT_TRUE (lilv_world_ask (world, uri, Node ("http://usefulinc.com/ns/doap#license"), Node ("http://spdx.org/licenses/GPL-3.0-or-later")));

        // Hosts hide a plug-in with a zero or odd minor or an odd micro version.
        LilvNode* minor = lilv_world_get (world, uri, Node (LV2_CORE__minorVersion), nullptr);
        LilvNode* micro = lilv_world_get (world, uri, Node (LV2_CORE__microVersion), nullptr);
        ASSERT_TRUE (minor != nullptr && micro != nullptr);
        EXPECT_GT (lilv_node_as_int (minor), 0);
        EXPECT_EQ (lilv_node_as_int (minor) % 2, 0);
        EXPECT_EQ (lilv_node_as_int (micro) % 2, 0);
        lilv_node_free (minor);
        lilv_node_free (micro);

        // Nothing is required of the host.
        LilvNodes* required = lilv_plugin_get_required_features (plugin);
        EXPECT_EQ (lilv_nodes_size (required), 0u);
        lilv_nodes_free (required);

        ASSERT_EQ (lilv_plugin_get_num_ports (plugin), 4u + 2u * (uint32_t) v.channels);
        const Node audio (LV2_CORE__AudioPort), in (LV2_CORE__InputPort), out (LV2_CORE__OutputPort);
        EXPECT_EQ (lilv_plugin_get_num_ports_of_class (plugin, audio.node, in.node, nullptr), (uint32_t) v.channels);
        EXPECT_EQ (lilv_plugin_get_num_ports_of_class (plugin, audio.node, out.node, nullptr), (uint32_t) v.channels);

        // The control inputs: symbol, index, range and default, all floats.
        struct Control
        {
            const char* symbol;
            uint32_t index;
            float minimum, maximum, defaultValue;
        };

        using namespace TolvoParameters;
        for (const auto& c : { Control { enableId, 0, 0.0f, 1.0f, enableDefault ? 1.0f : 0.0f },
                               Control { levelId, 1, levelMinimumDb, levelMaximumDb, levelDefaultDb },
                               Control { "enabled", 2, 0.0f, 1.0f, 1.0f } })
        {
            SCOPED_TRACE (c.symbol);
            LilvNode* symbol = lilv_new_string (world, c.symbol);
            const auto* port = lilv_plugin_get_port_by_symbol (plugin, symbol);
            lilv_node_free (symbol);
            ASSERT_NE (port, nullptr);
            EXPECT_EQ (lilv_port_get_index (plugin, port), c.index);
            EXPECT_TRUE (lilv_port_is_a (plugin, port, Node (LV2_CORE__ControlPort)));
            EXPECT_TRUE (lilv_port_is_a (plugin, port, Node (LV2_CORE__InputPort)));

            LilvNode *d = nullptr, *lo = nullptr, *hi = nullptr;
            lilv_port_get_range (plugin, port, &d, &lo, &hi);
            for (const auto& [node, wanted] : { std::pair { d, c.defaultValue }, { lo, c.minimum }, { hi, c.maximum } })
            {
                ASSERT_TRUE (node != nullptr && lilv_node_is_float (node));
                EXPECT_FLOAT_EQ (lilv_node_as_float (node), wanted);
            }
            lilv_node_free (d);
            lilv_node_free (lo);
            lilv_node_free (hi);
        }

        const auto* bypass = lilv_plugin_get_port_by_designation (plugin, Node (LV2_CORE__InputPort), Node (LV2_CORE_PREFIX "enabled"));
        ASSERT_NE (bypass, nullptr);
        EXPECT_EQ (lilv_port_get_index (plugin, bypass), 2u);
        EXPECT_TRUE (lilv_plugin_has_latency (plugin));
        EXPECT_EQ (lilv_plugin_get_latency_port_index (plugin), 3u);

        // The window: an X11 UI in a binary of its own that asks for no
        // access to the plug-in instance.
        LilvUIs* uis = lilv_plugin_get_uis (plugin);
        ASSERT_EQ (lilv_uis_size (uis), 1u);
        const auto* ui = lilv_uis_get (uis, lilv_uis_begin (uis));
        EXPECT_STREQ (lilv_node_as_uri (lilv_ui_get_uri (ui)), TolvoLv2Uris::ui);
        EXPECT_TRUE (lilv_ui_is_a (ui, Node (LV2_UI__X11UI)));
        EXPECT_STRNE (lilv_node_as_uri (lilv_ui_get_binary_uri (ui)), lilv_node_as_uri (lilv_plugin_get_library_uri (plugin)));
        EXPECT_FALSE (lilv_world_ask (world, lilv_ui_get_uri (ui), Node (LV2_CORE__requiredFeature),
                                      Node ("http://lv2plug.in/ns/ext/instance-access")));
        lilv_uis_free (uis);
    }
}

TEST (Lv2Binding, ReportsTheLatencyForTheRate)
{
    for (const auto& v : variants)
        for (const auto& [r, expected] : { std::pair { 44100.0, 1323 }, { 48000.0, 1440 }, { 96000.0, 2880 } })
        {
            HostedPlugin p (lilv(), find (v), r, blockSize);
            float none[1] {};
            p.run (none, none, none, none, 0);
            EXPECT_EQ (p.reportedLatency(), expected) << v.uri << " at " << r;
        }
}

// Random block sizes (an empty one, and one longer than the host announced
// and the binding prepares) against tolvo-render at the same Level; run()
// allocates nothing.
TEST (Lv2Binding, EqualsTheRendererWithoutAllocating)
{
    const auto dir = juce::File::createTempFile ("tolvo-lv2-test");
    ASSERT_TRUE (dir.createDirectory());
    std::mt19937 random (7);
    std::vector<int> sizes { 0, 20000 };

    for (int i = 0; i < 60; ++i)
        sizes.push_back (1 + (int) (random() % blockSize));

    for (const auto& v : variants)
    {
        SCOPED_TRACE (v.uri);
        const auto input = signal (v.channels, 72000, 1);
        juce::AudioBuffer<float> file (v.channels, (int) input[0].size());
        for (int ch = 0; ch < v.channels; ++ch)
            file.copyFrom (ch, 0, input[(size_t) ch].data(), file.getNumSamples());
        writeAudio (dir.getChildFile ("in.wav"), file, rate, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
        const auto rendered = runRender ({ "-q", "--force", "--keep-latency", "--level", "-1.0", dir.getChildFile ("in.wav").getFullPathName(),
                                           dir.getChildFile ("out.wav").getFullPathName() });
        ASSERT_EQ (rendered.exitCode, 0) << rendered.err;
        const auto reference = readAudio (dir.getChildFile ("out.wav"));
        ASSERT_EQ (reference.audio.getNumChannels(), v.channels);

        // The renderer keeps the delay's tail: the plug-in runs on until it is out.
        const auto latency = (size_t) (rate * 0.03);
        ASSERT_EQ ((size_t) reference.audio.getNumSamples(), input[0].size() + latency);
        auto padded = input;
        for (auto& channel : padded)
            channel.resize (channel.size() + latency, 0.0f);

        // Hosts may hand the same buffers for input and output, or apart.
        for (const bool apart : { false, true })
        {
            HostedPlugin p (lilv(), find (v), rate, blockSize);
            ASSERT_TRUE (p.setControl (TolvoParameters::levelId, -1.0f));
            const auto run = process (p, padded, sizes, {}, apart);
            EXPECT_EQ (run.allocations, 0u);

            for (int ch = 0; ch < v.channels; ++ch)
            {
                int differing = 0;
                for (int i = 0; i < reference.audio.getNumSamples(); ++i)
                    differing += run.out[(size_t) ch][(size_t) i] != reference.audio.getSample (ch, i);
                EXPECT_EQ (differing, 0) << "channel " << ch << (apart ? ", apart" : ", in place");
            }
        }
    }

    dir.deleteRecursively();
}

// The host's bypass (lv2:enabled) and Enable, switched between blocks. While
// bypassed, the input comes out delayed by the latency once what the limiter
// held is out; Enable off passes the input at once.
TEST (Lv2Binding, BypassAndEnableThroughThePorts)
{
    constexpr int block = 512;
    const int frames = 60 * block;

    for (const auto& v : variants)
    {
        SCOPED_TRACE (v.uri);
        const auto input = signal (v.channels, frames, 3);
        HostedPlugin plain (lilv(), find (v), rate, blockSize);
        const auto limited = process (plain, input, { block });

        for (const auto& [name, apart] : { std::pair ("enabled", false), { "enabled", true }, { TolvoParameters::enableId, false }, { TolvoParameters::enableId, true } })
        {
            const char* control = name;
            SCOPED_TRACE (std::string (control) + (apart ? ", apart" : ", in place"));
            HostedPlugin p (lilv(), find (v), rate, blockSize);
            const auto run = process (
                p, input, { block }, [&] (int k)
                { p.setControl (control, k >= 20 && k < 40 ? 0.0f : 1.0f); },
                apart);
            const bool bypass = std::string (control) == "enabled";

            for (int ch = 0; ch < v.channels; ++ch)
            {
                const auto& in = input[(size_t) ch];
                const auto late = delayed (in, lookahead);
                int wrong = 0;

                for (int i = 0; i < frames; ++i)
                {
                    const bool inside = bypass ? i >= 20 * block + lookahead && i < 40 * block : i >= 20 * block && i < 40 * block;
                    const bool afterEnable = ! bypass && i >= 40 * block;
                    const float expected = inside ? (bypass ? late[(size_t) i] : in[(size_t) i])
                                                  : limited.out[(size_t) ch][(size_t) i];

                    // Enable resumes the engine where it stopped, so after it
                    // only the time stays checked: the output is limited, not
                    // the bypassed input.
                    if (afterEnable)
                        wrong += std::abs (run.out[(size_t) ch][(size_t) i]) > 1.0f;
                    else
                        wrong += run.out[(size_t) ch][(size_t) i] != expected;
                }

                EXPECT_EQ (wrong, 0) << "channel " << ch;
            }
        }
    }
}

TEST (Lv2Binding, ActivateAfterDeactivateEqualsAFreshInstance)
{
    for (const auto& v : variants)
    {
        HostedPlugin used (lilv(), find (v), rate, blockSize);
        process (used, signal (v.channels, 512, 1), { 512 });
        used.deactivate();
        used.activate();
        const auto again = process (used, signal (v.channels, 48000, 2), { 512 });

        HostedPlugin fresh (lilv(), find (v), rate, blockSize);
        const auto first = process (fresh, signal (v.channels, 48000, 2), { 512 });
        EXPECT_EQ (again.out, first.out) << v.uri;
    }
}

// What careless hosts do: a rate of 0, ports left unconnected, values that
// are not numbers. Nothing may crash; unconnected controls keep the defaults.
TEST (Lv2Binding, OddHostsDoNotBreakIt)
{
    const float nan = std::nanf ("");

    for (const auto& v : variants)
    {
        SCOPED_TRACE (v.uri);
        LilvInstance* bare = lilv_plugin_instantiate (find (v), 0.0, lilv().featuresFor (0.0));
        ASSERT_NE (bare, nullptr);
        lilv_instance_activate (bare);
        lilv_instance_run (bare, 64);
        std::vector<std::vector<float>> outs ((size_t) v.channels, std::vector<float> (64, 1.0f));
        for (uint32_t ch = 0; ch < (uint32_t) v.channels; ++ch)
            lilv_instance_connect_port (bare, 4 + (uint32_t) v.channels + ch, outs[ch].data());
        lilv_instance_run (bare, 64);
        for (const auto& out : outs)
            EXPECT_EQ (out, std::vector<float> (64, 0.0f)) << "an unconnected input is silence";
        lilv_instance_deactivate (bare);
        lilv_instance_free (bare);

        HostedPlugin p (lilv(), find (v), rate, blockSize);
        for (const char* control : { TolvoParameters::enableId, TolvoParameters::levelId, "enabled" })
            p.setControl (control, nan);
        auto input = signal (v.channels, 4096, 5);
        input[0][100] = nan;
        const auto run = process (p, input, { 0, 1, 4095 });
        EXPECT_EQ (run.allocations, 0u);
    }
}
