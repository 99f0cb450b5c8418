#include "processor/TolvoAudioProcessor.h"

#include <gtest/gtest.h>

#include <optional>

namespace
{
juce::MemoryBlock save (TolvoAudioProcessor& p)
{
    juce::MemoryBlock block;
    p.getStateInformation (block);
    return block;
}

juce::String textOf (const juce::MemoryBlock& block)
{
    return juce::String::fromUTF8 (static_cast<const char*> (block.getData()) + 8, (int) block.getSize() - 9);
}

// A block with the framework's wrapper around any text; the length field can
// be given explicitly to describe damaged blocks.
juce::MemoryBlock wrap (const juce::String& text, std::optional<int> lengthField = {}, juce::uint32 magic = 0x21324356)
{
    juce::MemoryOutputStream out;
    out.writeInt ((int) magic);
    out.writeInt (lengthField.value_or ((int) text.getNumBytesAsUTF8()));
    out.write (text.toRawUTF8(), text.getNumBytesAsUTF8());
    out.writeByte (0);
    return out.getMemoryBlock();
}

void restore (TolvoAudioProcessor& p, const juce::MemoryBlock& block)
{
    p.setStateInformation (block.getData(), (int) block.getSize());
}

void restore (TolvoAudioProcessor& p, const juce::String& text)
{
    restore (p, wrap (text));
}

struct NoticeCounter : juce::AudioProcessorListener
{
    int changes = 0;
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override { ++changes; }
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
};
} // namespace

TEST (State, DefaultsSaveAsTheExactBlock)
{
    TolvoAudioProcessor p;
    const auto block = save (p);
    ASSERT_EQ (block.getSize(), 109u);

    const auto* bytes = static_cast<const unsigned char*> (block.getData());
    const unsigned char header[] = { 0x56, 0x43, 0x32, 0x21, 0x64, 0x00, 0x00, 0x00 };
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ (bytes[i], header[i]) << i;
    EXPECT_EQ (bytes[108], 0);
    EXPECT_EQ (textOf (block), "<?xml version=\"1.0\" encoding=\"UTF-8\"?> "
                               "<MYPLUGINSETTINGS dbEnable=\"1\" dbMain=\"-0.1000000014901161\"/>");
}

TEST (State, SavedNumbersUseTheFrameworkFormatting)
{
    TolvoAudioProcessor p;
    p.enableParam->setValueNotifyingHost (0.0f);
    EXPECT_EQ (save (p).getSize(), 109u);
    EXPECT_TRUE (textOf (save (p)).contains ("dbEnable=\"0\""));

    for (auto [level, text] : { std::pair { -6.0f, "-6.0" }, { 0.0f, "0.0" }, { -1.5f, "-1.5" }, { -0.25f, "-0.25" } })
    {
        *p.levelParam = level;
        EXPECT_TRUE (textOf (save (p)).contains (juce::String ("dbMain=\"") + text + "\""))
            << textOf (save (p));
    }
}

TEST (State, SaveAndRestoreRoundTrips)
{
    for (float level : { -6.0f, -4.37f, -1.0f, -0.1f, 0.0f })
        for (bool enable : { false, true })
        {
            TolvoAudioProcessor a, b;
            a.enableParam->setValueNotifyingHost (enable ? 1.0f : 0.0f);
            *a.levelParam = level;
            restore (b, save (a));
            EXPECT_EQ (b.enableParam->get(), enable);
            // The framework snaps in float, so the off-step default -0.1
            // comes back one float step away; values set by anyone else are
            // on the steps already and come back exactly.
            EXPECT_NEAR (b.levelParam->get(), a.levelParam->get(), 1e-6f);

            TolvoAudioProcessor c;
            restore (c, save (b));
            EXPECT_EQ (c.levelParam->get(), b.levelParam->get());
        }
}

TEST (State, ValuesAreReadLenientlyAndLimited)
{
    struct Case
    {
        const char* enable;
        bool expectedEnable;
        const char* level;
        float expectedLevel;
    };

    for (auto c : { Case { "0.4", false, "-7", -6.0f }, Case { "0.5", true, "0.5", 0.0f },
                    Case { "2", true, "-0.123", -0.12f }, Case { "yes", false, "inf", 0.0f },
                    Case { "nan", false, "  -2.5dB", -2.5f }, Case { "1", true, "-1e0", -1.0f },
                    Case { "1e99999999999", true, "-1e99999999999", -6.0f }, Case { "1e-99999999999", false, "abc", 0.0f },
                    Case { "+0.75", true, "\t-3.456e0x", -3.46f }, Case { "0x10", false, "-.5", -0.5f },
                    Case { "INF", true, "-inf", -6.0f } })
    {
        TolvoAudioProcessor p;
        restore (p, juce::String ("<MYPLUGINSETTINGS dbEnable=\"") + c.enable + "\" dbMain=\"" + c.level + "\"/>");
        EXPECT_EQ (p.enableParam->get(), c.expectedEnable) << c.enable;
        EXPECT_NEAR (p.levelParam->get(), c.expectedLevel, 1e-6) << c.level;
        // The switch always holds a legal value.
        EXPECT_TRUE (static_cast<juce::AudioProcessorParameter*> (p.enableParam)->getValue() == 0.0f || static_cast<juce::AudioProcessorParameter*> (p.enableParam)->getValue() == 1.0f);
    }
}

TEST (State, NotANumberLevelIsRefused)
{
    TolvoAudioProcessor p;
    *p.levelParam = -3.0f;
    restore (p, "<MYPLUGINSETTINGS dbEnable=\"1\" dbMain=\"nan\"/>");
    EXPECT_FLOAT_EQ (p.levelParam->get(), -3.0f);
    EXPECT_FALSE (std::isnan (p.levelParam->get()));
}

TEST (State, TagAndAttributeMatching)
{
    TolvoAudioProcessor p;
    restore (p, "<mypluginsettings dbEnable=\"0\" dbMain=\"-2\"/>");
    EXPECT_FALSE (p.enableParam->get());
    EXPECT_FLOAT_EQ (p.levelParam->get(), -2.0f);

    // Attribute names are case-sensitive: a wrong-cased one keeps the value.
    restore (p, "<MYPLUGINSETTINGS DBENABLE=\"1\" dbmain=\"-5\"/>");
    EXPECT_FALSE (p.enableParam->get());
    EXPECT_FLOAT_EQ (p.levelParam->get(), -2.0f);

    // Another root tag changes nothing.
    restore (p, "<OTHERSETTINGS dbEnable=\"1\" dbMain=\"-5\"/>");
    EXPECT_FALSE (p.enableParam->get());
    EXPECT_FLOAT_EQ (p.levelParam->get(), -2.0f);

    // Children and other attributes are ignored.
    restore (p, "<?xml version=\"1.0\"?><MYPLUGINSETTINGS x=\"9\" dbEnable=\"1\" dbMain=\"-4\"><a dbMain=\"-1\"/></MYPLUGINSETTINGS>");
    EXPECT_TRUE (p.enableParam->get());
    EXPECT_FLOAT_EQ (p.levelParam->get(), -4.0f);
}

TEST (State, MissingAttributesReapplyCurrentValuesWithNotices)
{
    TolvoAudioProcessor p;
    p.enableParam->setValueNotifyingHost (0.0f);
    *p.levelParam = -3.3f;

    NoticeCounter counter;
    p.addListener (&counter);
    restore (p, "<MYPLUGINSETTINGS/>");
    p.removeListener (&counter);

    EXPECT_FALSE (p.enableParam->get());
    EXPECT_FLOAT_EQ (p.levelParam->get(), -3.3f);
    EXPECT_EQ (counter.changes, 2);
}

TEST (State, DamagedBlocksChangeNothing)
{
    TolvoAudioProcessor p;
    *p.levelParam = -2.0f;
    const juce::String good ("<MYPLUGINSETTINGS dbEnable=\"0\" dbMain=\"-5\"/>");

    auto unchanged = [&] (const juce::MemoryBlock& block, const char* what)
    {
        restore (p, block);
        EXPECT_TRUE (p.enableParam->get()) << what;
        EXPECT_FLOAT_EQ (p.levelParam->get(), -2.0f) << what;
    };

    unchanged (wrap (good, {}, 0x21324357), "wrong magic");
    unchanged (wrap (good, 0), "zero length");
    unchanged (wrap (good, -5), "negative length");
    unchanged (wrap ("dbEnable=0 dbMain=-5"), "not XML");
    unchanged (juce::MemoryBlock (wrap (good).getData(), 8), "8 bytes");
    unchanged (juce::MemoryBlock(), "empty");
    p.setStateInformation (nullptr, 100);
    p.setStateInformation (wrap (good).getData(), -3);

    // A length field larger than the data is cut to the data.
    restore (p, wrap (good, 100000));
    EXPECT_FALSE (p.enableParam->get());
    EXPECT_FLOAT_EQ (p.levelParam->get(), -5.0f);
}

TEST (State, HostileBlocksAreRefusedWithoutCrashingOrHanging)
{
    TolvoAudioProcessor p;
    const juce::String hostile[] = {
        // Deep nesting would exhaust the parser's stack.
        "<MYPLUGINSETTINGS dbEnable=\"0\" dbMain=\"-5\">" + juce::String::repeatedString ("<a>", 200000),
        // A processing instruction inside the element sends the parser round for ever.
        "<MYPLUGINSETTINGS dbEnable=\"0\">x<?pi?>y</MYPLUGINSETTINGS>",
        // A self-referring entity would be expanded without end.
        "<!DOCTYPE MYPLUGINSETTINGS [<!ENTITY e \"&e;\">]><MYPLUGINSETTINGS dbEnable=\"0\" dbMain=\"&e;\"/>",
    };

    for (const auto& text : hostile)
    {
        restore (p, text);
        EXPECT_TRUE (p.enableParam->get()) << text.substring (0, 60);
    }

    // Malformed UTF-8 is refused too; the same text well formed is read.
    const juce::String lone ("<MYPLUGINSETTINGS dbEnable=\"0\" x=\"A\"/>");
    auto malformed = wrap (lone);
    static_cast<char*> (malformed.getData())[8 + lone.indexOf ("A")] = '\xc3';
    restore (p, malformed);
    EXPECT_TRUE (p.enableParam->get());
    restore (p, juce::String::fromUTF8 ("<MYPLUGINSETTINGS dbEnable=\"0\" x=\"\xc3\xa9\"/>"));
    EXPECT_FALSE (p.enableParam->get());
}
