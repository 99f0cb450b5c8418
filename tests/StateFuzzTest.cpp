#include "processor/TolvoAudioProcessor.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
// Pieces that steer random text towards what the reader actually parses.
const char* const fragments[] = { "<MYPLUGINSETTINGS", "<mypluginsettings", " dbEnable=\"", " dbMain=\"", "\"",
                                  "/>", ">", "</MYPLUGINSETTINGS>", "<?xml version=\"1.0\"?>", "nan", "inf",
                                  "-1e308", "1e-320", "0x", "&amp;", "&#0;", "<![CDATA[", "<!--", "\xff\xfe",
                                  "\xe2\x82", "\xf4\x8f\xbf", "-0.5", "999999999999", " " };

juce::MemoryBlock validBlock (juce::Random& random)
{
    TolvoAudioProcessor source;
    source.enableParam->setValueNotifyingHost (random.nextBool() ? 1.0f : 0.0f);
    *source.levelParam = -6.0f * random.nextFloat();
    juce::MemoryBlock block;
    source.getStateInformation (block);
    return block;
}

void mutate (juce::MemoryBlock& block, juce::Random& random)
{
    const int edits = 1 + random.nextInt (6);
    for (int e = 0; e < edits; ++e)
    {
        const auto size = (int) block.getSize();
        switch (random.nextInt (6))
        {
            case 0: // flip a byte
                if (size > 0)
                    static_cast<char*> (block.getData())[random.nextInt (size)] = (char) random.nextInt (256);
                break;
            case 1: // cut
                block.setSize ((size_t) random.nextInt (size + 1));
                break;
            case 2: // insert a fragment
            {
                const juce::String f (fragments[random.nextInt ((int) std::size (fragments))]);
                block.insert (f.toRawUTF8(), f.getNumBytesAsUTF8(), (size_t) random.nextInt (size + 1));
                break;
            }
            case 3: // rewrite the length field
                if (size >= 8)
                {
                    const int lengths[] = { 0, -1, 1, size - 9, size, size + 1000, 0x7fffffff, (int) 0x80000000 };
                    const int v = lengths[random.nextInt ((int) std::size (lengths))];
                    block.copyFrom (&v, 4, 4);
                }
                break;
            case 4: // drop the terminating zero or add junk after it
                block.append ("\x01\x02junk", 6);
                break;
            default: // pure noise
            {
                juce::MemoryBlock noise ((size_t) random.nextInt (300));
                random.fillBitsRandomly (noise.getData(), noise.getSize());
                if (random.nextBool() && noise.getSize() >= 4)
                    noise.copyFrom ("VC2!", 0, 4);
                block.swapWith (noise);
                break;
            }
        }
    }
}
} // namespace

TEST (StateFuzz, RandomAndMutatedBlocksNeverBreakTheParameters)
{
    // A fixed seed by default; --gtest_random_seed=N (or --gtest_shuffle
    // with --gtest_repeat) explores others.
    juce::Random random (20261208 + testing::UnitTest::GetInstance()->random_seed());
    TolvoAudioProcessor p;

    for (int i = 0; i < 20000; ++i)
    {
        auto block = validBlock (random);
        mutate (block, random);

        // Exact-size heap copy, so a read past the end is caught by ASan.
        std::vector<char> exact (static_cast<const char*> (block.getData()),
                                 static_cast<const char*> (block.getData()) + block.getSize());
        p.setStateInformation (exact.data(), (int) exact.size());

        const float enable = static_cast<juce::AudioProcessorParameter*> (p.enableParam)->getValue();
        const float level = p.levelParam->get();
        ASSERT_TRUE (enable == 0.0f || enable == 1.0f) << "iteration " << i;
        ASSERT_TRUE (level >= -6.0f && level <= 0.0f) << "iteration " << i << " level " << level;
    }
}
