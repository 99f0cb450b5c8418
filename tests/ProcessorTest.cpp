#include "processor/TolvoAudioProcessor.h"

#include "AllocationCounter.h"
#include "LockCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <mutex>

namespace
{
using Host = juce::PluginHostType::HostType;

// Counts latency notices: setLatencySamples tells listeners through
// audioProcessorChanged with the latency flag set.
struct LatencyListener : juce::AudioProcessorListener
{
    int notices = 0;
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails& details) override
    {
        if (details.latencyChanged)
            ++notices;
    }
};

void setLayout (TolvoAudioProcessor& p, const juce::AudioChannelSet& set)
{
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (set);
    layout.outputBuses.add (set);
    ASSERT_TRUE (p.setBusesLayout (layout));
}

void prepare (TolvoAudioProcessor& p, double rate, int block = 512)
{
    p.setRateAndBufferSizeDetails (rate, block);
    p.prepareToPlay (rate, block);
}

juce::AudioBuffer<float> sineBlock (int channels, int frames, float amplitude, int offset = 0)
{
    juce::AudioBuffer<float> b (channels, frames);
    for (int ch = 0; ch < channels; ++ch)
        for (int i = 0; i < frames; ++i)
            b.setSample (ch, i, amplitude * (float) std::sin (2.0 * juce::MathConstants<double>::pi * 100.0 * (i + offset) / 48000.0 + ch));
    return b;
}
} // namespace

TEST (Processor, FreshInstanceHasTheDocumentedFace)
{
    TolvoAudioProcessor p;
    EXPECT_EQ (p.getName(), "Tolvo");
    EXPECT_TRUE (p.enableParam->get());
    EXPECT_FLOAT_EQ (p.levelParam->get(), -0.1f);
    EXPECT_EQ (p.getNumPrograms(), 1);
    EXPECT_EQ (p.getCurrentProgram(), 0);
    EXPECT_TRUE (p.getProgramName (0).isEmpty());
    EXPECT_FALSE (p.acceptsMidi());
    EXPECT_FALSE (p.producesMidi());
    EXPECT_FALSE (p.isMidiEffect());
    EXPECT_EQ (p.getTailLengthSeconds(), 0.0);
    EXPECT_EQ (p.getLatencySamples(), 0);

    const auto& params = p.getParameters();
    ASSERT_EQ (params.size(), 2);
    EXPECT_EQ (params[0], p.enableParam);
    EXPECT_EQ (params[1], p.levelParam);
    // Spelled out, not taken from the constants: saved projects and host
    // automation hold these very values.
    EXPECT_EQ (p.enableParam->getParameterID(), "dbEnable");
    EXPECT_EQ (p.enableParam->getName (100), "Enable");
    EXPECT_EQ (p.levelParam->getParameterID(), "dbMain");
    EXPECT_EQ (p.levelParam->getName (100), "Level");
    EXPECT_TRUE (p.levelParam->getLabel().isEmpty());
    EXPECT_EQ (p.levelParam->range.start, -6.0f);
    EXPECT_EQ (p.levelParam->range.end, 0.0f);
    EXPECT_EQ (p.levelParam->range.interval, 0.01f);
    EXPECT_EQ (p.levelParam->range.skew, 1.0f);
}

TEST (Processor, LatencyFollowsTheHostClass)
{
    struct Case
    {
        Host host;
        bool exempt;
    };

    for (auto c : { Case { Host::UnknownHost, false }, Case { Host::AbletonLiveGeneric, true },
                    Case { Host::SteinbergCubase10, true }, Case { Host::DaVinciResolve, true },
                    Case { Host::SteinbergTestHost, true }, Case { Host::Reaper, false } })
    {
        SCOPED_TRACE ((int) c.host);
        TolvoAudioProcessor p (c.host);
        LatencyListener listener;
        p.addListener (&listener);

        prepare (p, 48000.0);
        EXPECT_EQ (p.getLatencySamples(), c.exempt ? 0 : 1440);
        EXPECT_EQ (listener.notices, c.exempt ? 0 : 1);

        prepare (p, 48000.0);
        EXPECT_EQ (listener.notices, c.exempt ? 0 : 1);

        p.releaseResources();
        EXPECT_EQ (p.getLatencySamples(), 0);
        EXPECT_EQ (listener.notices, c.exempt ? 0 : 2);

        prepare (p, 96000.0);
        EXPECT_EQ (p.getLatencySamples(), c.exempt ? 0 : 2880);
        p.removeListener (&listener);
    }
}

TEST (Processor, LookaheadIsThirtyMillisecondsTruncated)
{
    for (auto [rate, expected] : { std::pair { 44100.0, 1323 }, { 48000.0, 1440 }, { 88200.0, 2646 }, { 96000.0, 2880 }, { 192000.0, 5760 }, { 22050.0, 661 } })
    {
        TolvoAudioProcessor p (Host::UnknownHost);
        prepare (p, rate);
        EXPECT_EQ (p.getLatencySamples(), expected) << rate;
    }
}

TEST (Processor, BitwigKeepsTheEngineAcrossSameRatePrepares)
{
    TolvoAudioProcessor p (Host::BitwigStudio);
    setLayout (p, juce::AudioChannelSet::mono());
    prepare (p, 48000.0);
    EXPECT_EQ (p.getLatencySamples(), 1440);

    juce::MidiBuffer midi;
    juce::AudioBuffer<float> in (1, 1000);
    in.clear();
    in.setSample (0, 10, 0.001f); // positive only: passes unchanged, just delayed
    p.processBlock (in, midi);

    // Same rate: nothing is reset, the stored sample still comes out.
    prepare (p, 48000.0);
    p.releaseResources(); // Bitwig: release does nothing either
    EXPECT_EQ (p.getLatencySamples(), 1440);

    juce::AudioBuffer<float> out (1, 1000);
    out.clear();
    p.processBlock (out, midi);
    EXPECT_EQ (out.getSample (0, 450), 0.001f);

    // Another rate re-sizes and empties the engine.
    prepare (p, 44100.0);
    EXPECT_EQ (p.getLatencySamples(), 1323);
}

TEST (Processor, OrdinaryHostEmptiesTheEngineOnEveryPrepare)
{
    TolvoAudioProcessor p (Host::UnknownHost);
    setLayout (p, juce::AudioChannelSet::mono());
    prepare (p, 48000.0);

    juce::MidiBuffer midi;
    juce::AudioBuffer<float> in (1, 1000);
    in.clear();
    in.setSample (0, 10, 0.001f);
    p.processBlock (in, midi);
    prepare (p, 48000.0);

    juce::AudioBuffer<float> out (1, 1000);
    out.clear();
    p.processBlock (out, midi);
    EXPECT_EQ (out.getMagnitude (0, 0, 1000), 0.0f);
}

TEST (Processor, EnableOffPassesTheBlockUntouchedAndUndelayed)
{
    TolvoAudioProcessor p;
    prepare (p, 48000.0);
    p.enableParam->setValueNotifyingHost (0.0f);

    juce::MidiBuffer midi;
    auto block = sineBlock (2, 512, 3.0f);
    const auto original = block;
    p.processBlock (block, midi);
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < 512; ++i)
            ASSERT_EQ (block.getSample (ch, i), original.getSample (ch, i));
    EXPECT_EQ (p.getLatencySamples(), 1440);

    // A clear-flagged block comes back still flagged clear.
    juce::AudioBuffer<float> silent (2, 512);
    silent.clear();
    p.processBlock (silent, midi);
    EXPECT_TRUE (silent.hasBeenCleared());

    // Not-a-number counts as off.
    p.enableParam->setValueNotifyingHost (std::numeric_limits<float>::quiet_NaN());
    auto again = sineBlock (2, 64, 3.0f);
    p.processBlock (again, midi);
    EXPECT_EQ (again.getSample (0, 5), sineBlock (2, 64, 3.0f).getSample (0, 5));
}

TEST (Processor, EnableOnAgainFirstGivesTheLookaheadHeldAtSwitchOff)
{
    // A quiet sine, far under the ceiling, comes out exactly delayed. While
    // Enable is off the engine does not run, so switching it on again first
    // gives the 1440 frames the engine held when it was switched off.
    TolvoAudioProcessor p;
    prepare (p, 48000.0);
    juce::MidiBuffer midi;

    const auto lastOn = sineBlock (2, 2000, 0.1f);
    auto block = lastOn;
    p.processBlock (block, midi);

    p.enableParam->setValueNotifyingHost (0.0f);
    auto whileOff = sineBlock (2, 512, 0.1f, 5000);
    p.processBlock (whileOff, midi);

    p.enableParam->setValueNotifyingHost (1.0f);
    const auto firstOn = sineBlock (2, 2000, 0.1f, 9000);
    block = firstOn;
    p.processBlock (block, midi);
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < 2000; ++i)
        {
            const float expected = i < 1440 ? lastOn.getSample (ch, 2000 - 1440 + i) : firstOn.getSample (ch, i - 1440);
            ASSERT_NEAR (block.getSample (ch, i), expected, 1e-6f) << "channel " << ch << ", frame " << i;
        }
}

TEST (Processor, StereoIsDelayedAndLimitedPerChannel)
{
    TolvoAudioProcessor p;
    prepare (p, 48000.0);
    *p.levelParam = -1.0f;

    juce::MidiBuffer midi;
    float peakL = 0, peakR = 0;
    for (int b = 0; b < 200; ++b)
    {
        auto block = sineBlock (2, 480, 2.0f, b * 480);
        block.applyGain (1, 0, 480, 0.25f); // right stays quiet: 0.5
        p.processBlock (block, midi);
        if (b == 0)
        {
            EXPECT_EQ (block.getMagnitude (0, 0, 480), 0.0f); // still inside the look-ahead
        }
        if (b > 100)
        {
            peakL = std::max (peakL, block.getMagnitude (0, 0, 480));
            peakR = std::max (peakR, block.getMagnitude (1, 0, 480));
        }
    }
    EXPECT_NEAR (peakL, 0.75f, 0.01f);
    EXPECT_NEAR (peakR, 0.5f, 0.001f);
}

TEST (Processor, MonoLayoutWritesOnlyChannelZero)
{
    TolvoAudioProcessor p;
    setLayout (p, juce::AudioChannelSet::mono());
    prepare (p, 48000.0);
    *p.levelParam = -1.0f;
    EXPECT_EQ (p.getTotalNumOutputChannels(), 1);

    juce::MidiBuffer midi;
    float peak = 0;
    for (int b = 0; b < 100; ++b)
    {
        auto block = sineBlock (1, 480, 2.0f, b * 480);
        p.processBlock (block, midi);
        if (b > 50)
            peak = std::max (peak, block.getMagnitude (0, 0, 480));
    }
    EXPECT_NEAR (peak, 0.75f, 0.01f);
}

TEST (Processor, LayoutTestAcceptsOnlyMatchingMonoOrStereo)
{
    TolvoAudioProcessor p;
    auto layout = [] (juce::AudioChannelSet in, juce::AudioChannelSet out)
    {
        juce::AudioProcessor::BusesLayout l;
        l.inputBuses.add (in);
        l.outputBuses.add (out);
        return l;
    };
    using Set = juce::AudioChannelSet;

    EXPECT_TRUE (p.checkBusesLayoutSupported (layout (Set::mono(), Set::mono())));
    EXPECT_TRUE (p.checkBusesLayoutSupported (layout (Set::stereo(), Set::stereo())));
    EXPECT_FALSE (p.checkBusesLayoutSupported (layout (Set::stereo(), Set::mono())));
    EXPECT_FALSE (p.checkBusesLayoutSupported (layout (Set::mono(), Set::stereo())));
    EXPECT_FALSE (p.checkBusesLayoutSupported (layout (Set::stereo(), Set::disabled())));
    EXPECT_FALSE (p.checkBusesLayoutSupported (layout (Set::create5point1(), Set::create5point1())));
}

TEST (Processor, BadRatesAndBuffersPassBlocksUntouched)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();

    for (double rate : { 0.0, -48000.0, 50.0, nan, inf, 1e300 })
    {
        TolvoAudioProcessor p (Host::UnknownHost);
        prepare (p, rate);
        EXPECT_EQ (p.getLatencySamples(), 0) << rate;

        juce::MidiBuffer midi;
        auto block = sineBlock (2, 256, 4.0f);
        const auto original = block;
        p.processBlock (block, midi);
        EXPECT_EQ (block.getSample (1, 100), original.getSample (1, 100)) << rate;
    }

    // Before any prepare, and a buffer without channels.
    TolvoAudioProcessor unprepared;
    juce::MidiBuffer midi;
    auto block = sineBlock (2, 64, 4.0f);
    unprepared.processBlock (block, midi);
    EXPECT_EQ (block.getSample (0, 7), sineBlock (2, 64, 4.0f).getSample (0, 7));

    prepare (unprepared, 48000.0);
    juce::AudioBuffer<float> empty (0, 64);
    unprepared.processBlock (empty, midi);
    juce::AudioBuffer<double> emptyDouble (0, 64);
    unprepared.processBlock (emptyDouble, midi);
}

TEST (Processor, OddBlockSizesGiveTheSameOutput)
{
    // Blocks longer than the prepared size are run in pieces; the result must
    // not depend on how the host cuts the stream.
    auto render = [] (std::initializer_list<int> sizes)
    {
        TolvoAudioProcessor p;
        prepare (p, 48000.0, 64);
        juce::MidiBuffer midi;
        std::vector<float> out;
        int offset = 0;
        for (int i = 0; i < 40; ++i)
            for (int n : sizes)
            {
                auto block = sineBlock (2, n, 1.7f, offset);
                offset += n;
                p.processBlock (block, midi);
                out.insert (out.end(), block.getReadPointer (0), block.getReadPointer (0) + n);
            }
        return out;
    };

    const auto a = render ({ 1, 7, 512, 3000, 1 });
    const auto b = render ({ 3521 });
    ASSERT_EQ (a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        ASSERT_EQ (a[i], b[i]) << i;
}

TEST (Processor, ProcessingAllocatesAndLocksNothing)
{
    {
        // The counter sees a lock, or it would prove nothing.
        const LockCounter seen;
        std::mutex m;
        m.lock();
        m.unlock();
        ASSERT_EQ (seen.count(), 1u);
    }

    TolvoAudioProcessor p;
    prepare (p, 48000.0, 512);
    juce::MidiBuffer midi;
    juce::AudioBuffer<double> doubles (2, 512);
    auto floats = sineBlock (2, 2048, 2.0f);

    AllocationCounter counter;
    const LockCounter locks;
    for (int i = 0; i < 50; ++i)
    {
        for (int ch = 0; ch < 2; ++ch)
            for (int s = 0; s < 512; ++s)
                doubles.setSample (ch, s, std::sin (s * 0.05 + i));
        p.processBlock (doubles, midi);
        p.processBlock (floats, midi);
    }
    EXPECT_EQ (counter.count(), 0u);
    EXPECT_EQ (locks.count(), 0u);
}
