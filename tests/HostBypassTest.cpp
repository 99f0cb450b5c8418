// The host's bypass, a release and prepare, and the program's name: what
// the format layers rely on.
#include "processor/TolvoAudioProcessor.h"

#include "AllocationCounter.h"
#include "LockCounter.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>

namespace
{
constexpr int lookahead = 1440; // 30 ms at 48 kHz

std::unique_ptr<TolvoAudioProcessor> makeFor (juce::AudioProcessor::WrapperType wrapper)
{
    juce::AudioProcessor::setTypeOfNextNewPlugin (wrapper);
    auto p = std::make_unique<TolvoAudioProcessor> (juce::PluginHostType::UnknownHost);
    juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_Undefined);
    p->setRateAndBufferSizeDetails (48000.0, 512);
    p->prepareToPlay (48000.0, 512);
    return p;
}

// Noise loud enough to be limited everywhere.
juce::AudioBuffer<float> loudNoise (int frames, juce::int64 seed)
{
    juce::Random random (seed);
    juce::AudioBuffer<float> b (2, frames);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < frames; ++i)
            b.setSample (ch, i, 2.0f * (random.nextFloat() * 2.0f - 1.0f));

    return b;
}

// Runs blocks of 512 as a wrapper does: setNonRealtime before each block,
// then the bypassed or the ordinary block function.
juce::AudioBuffer<float> run (TolvoAudioProcessor& p, const juce::AudioBuffer<float>& in, const std::function<bool (int)>& bypassedAt)
{
    juce::AudioBuffer<float> out;
    out.makeCopyOf (in);
    juce::MidiBuffer midi;

    for (int start = 0, block = 0; start < in.getNumSamples(); start += 512, ++block)
    {
        const int length = juce::jmin (512, in.getNumSamples() - start);
        juce::AudioBuffer<float> view (out.getArrayOfWritePointers(), 2, start, length);
        p.setNonRealtime (false);

        if (bypassedAt (block))
            p.processBlockBypassed (view, midi);
        else
            p.processBlock (view, midi);
    }

    return out;
}

bool equalFrom (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b, int from, int to)
{
    for (int ch = 0; ch < 2; ++ch)
        for (int i = from; i < to; ++i)
            if (a.getSample (ch, i) != b.getSample (ch, i))
                return false;

    return true;
}
} // namespace

TEST (HostBypass, Vst3AndLv2PassTheInputDelayedByTheLookaheadUnlimited)
{
    for (auto wrapper : { juce::AudioProcessor::wrapperType_VST3, juce::AudioProcessor::wrapperType_LV2 })
    {
        auto p = makeFor (wrapper);
        const auto in = loudNoise (8192, 1);
        const auto out = run (*p, in, [] (int)
                              { return true; });

        EXPECT_EQ (p->getLatencySamples(), lookahead);
        EXPECT_EQ (out.getMagnitude (0, lookahead), 0.0f);

        for (int ch = 0; ch < 2; ++ch)
            for (int i = lookahead; i < in.getNumSamples(); ++i)
                ASSERT_EQ (out.getSample (ch, i), in.getSample (ch, i - lookahead)) << "wrapper " << wrapper << ", frame " << i;
    }
}

TEST (HostBypass, OtherFormatsKeepTheFrameworksUndelayedPassThrough)
{
    // AAX's Master Bypass and the Standalone stay as the framework has them.
    for (auto wrapper : { juce::AudioProcessor::wrapperType_AAX, juce::AudioProcessor::wrapperType_Standalone })
    {
        auto p = makeFor (wrapper);
        const auto in = loudNoise (4096, 2);
        const auto out = run (*p, in, [] (int)
                              { return true; });
        EXPECT_TRUE (equalFrom (out, in, 0, in.getNumSamples())) << "wrapper " << wrapper;
    }
}

TEST (HostBypass, SwitchingInAndOutKeepsEveryFrameInTime)
{
    // Blocks 8..15 bypassed. Entering, the frames the engine still holds come
    // out limited, then the unlimited delay follows; leaving, the engine goes
    // on with what it was fed during the bypass: nothing repeats, nothing is
    // lost, and every frame is one look-ahead late.
    auto p = makeFor (juce::AudioProcessor::wrapperType_VST3);
    auto reference = makeFor (juce::AudioProcessor::wrapperType_VST3);
    const auto in = loudNoise (512 * 24, 3);
    const auto out = run (*p, in, [] (int block)
                          { return block >= 8 && block < 16; });
    const auto limited = run (*reference, in, [] (int)
                              { return false; });

    const int entry = 8 * 512;
    const int exit = 16 * 512;
    EXPECT_TRUE (equalFrom (out, limited, 0, entry + lookahead));

    for (int ch = 0; ch < 2; ++ch)
        for (int i = entry + lookahead; i < exit; ++i)
            ASSERT_EQ (out.getSample (ch, i), in.getSample (ch, i - lookahead)) << "frame " << i;

    // The engine ran on the same input throughout, so after the bypass it
    // gives what an instance that never bypassed gives.
    EXPECT_TRUE (equalFrom (out, limited, exit, in.getNumSamples()));
}

TEST (HostBypass, EnableOffInsideTheBypassStillKeepsTheDelay)
{
    auto p = makeFor (juce::AudioProcessor::wrapperType_LV2);
    p->enableParam->setValueNotifyingHost (0.0f);
    const auto in = loudNoise (4096, 4);
    const auto out = run (*p, in, [] (int)
                          { return true; });

    EXPECT_EQ (out.getMagnitude (0, lookahead), 0.0f);
    EXPECT_EQ (out.getSample (1, 3000), in.getSample (1, 3000 - lookahead));
}

TEST (HostBypass, AProcessedBlockInBetweenStartsANewBypass)
{
    // A bypass after an ordinary block must not replay what the delay held
    // from an earlier bypass.
    auto p = makeFor (juce::AudioProcessor::wrapperType_VST3);
    p->enableParam->setValueNotifyingHost (0.0f); // the engine idles, so only the delay speaks
    const auto in = loudNoise (512 * 12, 5);
    const auto out = run (*p, in, [] (int block)
                          { return block < 4 || block >= 6; });

    // Second bypass from block 6: silence for one look-ahead, then the input.
    EXPECT_EQ (out.getMagnitude (6 * 512, lookahead), 0.0f);
    EXPECT_EQ (out.getSample (0, 6 * 512 + lookahead), in.getSample (0, 6 * 512));
}

TEST (Restart, ReleaseThenPrepareIsAFreshStart)
{
    // What a VST3 host's deactivate and activate come to.
    const auto history = loudNoise (5000, 8);
    const auto noise = loudNoise (20000, 9);

    auto used = makeFor (juce::AudioProcessor::wrapperType_VST3);
    run (*used, history, [] (int)
         { return false; });
    used->releaseResources();
    EXPECT_EQ (used->getLatencySamples(), 0);
    used->prepareToPlay (48000.0, 512);
    EXPECT_EQ (used->getLatencySamples(), lookahead);
    const auto again = run (*used, noise, [] (int)
                            { return false; });

    auto fresh = makeFor (juce::AudioProcessor::wrapperType_VST3);
    const auto first = run (*fresh, noise, [] (int)
                            { return false; });

    EXPECT_TRUE (equalFrom (again, first, 0, noise.getNumSamples()));
}

TEST (Programs, OnlyVst3NamesTheFactoryProgram)
{
    for (const auto& [wrapper, name] : { std::pair { juce::AudioProcessor::wrapperType_VST3, "Default" },
                                         { juce::AudioProcessor::wrapperType_LV2, "" },
                                         { juce::AudioProcessor::wrapperType_AAX, "" },
                                         { juce::AudioProcessor::wrapperType_Standalone, "" } })
        EXPECT_EQ (makeFor (wrapper)->getProgramName (0), name) << wrapper;
}

TEST (HostBypass, AllocatesAndLocksNothing)
{
    auto p = makeFor (juce::AudioProcessor::wrapperType_VST3);
    auto block = loudNoise (512, 10);
    juce::MidiBuffer midi;

    for (int i = 0; i < 8; ++i)
    {
        p->setNonRealtime (false);
        const AllocationCounter counter;
        const LockCounter locks;
        p->processBlockBypassed (block, midi);
        EXPECT_EQ (counter.count(), 0u);
        EXPECT_EQ (locks.count(), 0u);
    }
}
