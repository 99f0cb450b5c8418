// The built LV2 driven directly: activate after deactivate starts clean, and
// the host is told the parameter values after instantiation, activation and
// state restore.
#include "Lv2Host.h"

#include "processor/TolvoAudioProcessor.h"
#include "processor/TolvoParameters.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
constexpr double rate = 48000.0;
constexpr int block = 512;
const std::string uri = TOLVO_LV2_URI;
const std::string enableUri = uri + ":" + TolvoParameters::enableId;
const std::string levelUri = uri + ":" + TolvoParameters::levelId;

struct Stereo
{
    std::vector<float> left, right;
};

Stereo noise (int frames, unsigned seed)
{
    std::mt19937 random (seed);
    std::uniform_real_distribution<float> amplitude (-2.0f, 2.0f);
    Stereo s;

    for (int i = 0; i < frames; ++i)
    {
        s.left.push_back (amplitude (random));
        s.right.push_back (amplitude (random));
    }

    return s;
}

void runAll (Lv2Host& host, Stereo& s)
{
    for (size_t start = 0; start < s.left.size(); start += block)
        host.run (s.left.data() + start, s.right.data() + start, (int) std::min<size_t> (block, s.left.size() - start));
}

std::string stateString (bool enable, float levelDb)
{
    TolvoAudioProcessor p;
    p.enableParam->setValueNotifyingHost (enable ? 1.0f : 0.0f);
    p.levelParam->setValueNotifyingHost (p.levelParam->convertTo0to1 (levelDb));
    juce::MemoryBlock state;
    p.getStateInformation (state);
    return state.toBase64Encoding().toStdString();
}
} // namespace

TEST (Lv2Activation, ActivateAfterDeactivateEqualsAFreshInstance)
{
    // As in a DAW's mixer: one block, then off and on again, then loud noise.
    Lv2Host used (TOLVO_LV2_LIBRARY, rate, block);
    ASSERT_TRUE (used.ok());
    used.activate();
    auto history = noise (block, 1);
    runAll (used, history);
    used.deactivate();
    used.activate();
    auto again = noise (48000, 2);
    runAll (used, again);

    Lv2Host fresh (TOLVO_LV2_LIBRARY, rate, block);
    ASSERT_TRUE (fresh.ok());
    fresh.activate();
    auto first = noise (48000, 2);
    runAll (fresh, first);

    int differing = 0;

    for (size_t i = 0; i < first.left.size(); ++i)
        differing += (again.left[i] != first.left[i]) + (again.right[i] != first.right[i]);

    EXPECT_EQ (differing, 0);
}

TEST (Lv2Activation, TheHostHearsTheValuesWithoutAudio)
{
    Lv2Host host (TOLVO_LV2_LIBRARY, rate, block);
    ASSERT_TRUE (host.ok());

    // After instantiation and activation: the first run, even an empty one.
    host.activate();
    host.run (nullptr, nullptr, 0);
    ASSERT_EQ (host.reportedValues().count (enableUri), 1u);
    ASSERT_EQ (host.reportedValues().count (levelUri), 1u);
    EXPECT_EQ (host.reportedValues().at (enableUri), 1.0f);
    EXPECT_NEAR (host.reportedValues().at (levelUri), TolvoParameters::levelDefaultDb, 1.0e-6);

    // Nothing changed: nothing more to report.
    host.run (nullptr, nullptr, 0);
    EXPECT_TRUE (host.reportedValues().empty());

    // After a state restore.
    ASSERT_TRUE (host.restoreString (uri + ":StateString", stateString (false, -2.37f)));
    host.run (nullptr, nullptr, 0);
    ASSERT_EQ (host.reportedValues().count (enableUri), 1u);
    EXPECT_EQ (host.reportedValues().at (enableUri), 0.0f);
    EXPECT_NEAR (host.reportedValues().at (levelUri), -2.37f, 1.0e-5);

    // And again after a re-activation, which a host may follow with a fresh
    // look at every control.
    host.deactivate();
    host.activate();
    host.run (nullptr, nullptr, 0);
    EXPECT_EQ (host.reportedValues().size(), 2u);
}
