#include "limiter/LimiterEngine.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace
{
constexpr double pi = 3.14159265358979323846;
constexpr double rate = 48000.0;
constexpr int lookahead = 1440;

struct Output
{
    std::vector<double> left, right;
};

// Runs the engine over whole signals, the right one defaulting to the left.
Output run (LimiterEngine& engine, const std::vector<double>& left, std::vector<double> right = {},
            double levelDb = -1.0, bool mono = false, double sampleRate = rate)
{
    if (right.empty())
        right = left;

    Output out;
    for (size_t i = 0; i < left.size(); ++i)
    {
        double l = 0.0, r = 0.0;
        engine.processSample (left[i], right[i], &l, &r, sampleRate, levelDb, mono);
        out.left.push_back (l);
        out.right.push_back (r);
    }
    return out;
}

std::vector<double> sine (double amplitude, double frequency, int frames, double sampleRate = rate)
{
    std::vector<double> x ((size_t) frames);
    for (int i = 0; i < frames; ++i)
        x[(size_t) i] = amplitude * std::sin (2.0 * pi * frequency * i / sampleRate);
    return x;
}

double peak (const std::vector<double>& x, size_t from = 0)
{
    double p = 0.0;
    for (size_t i = from; i < x.size(); ++i)
        p = std::max (p, std::abs (x[i]));
    return p;
}

// Runs a signal and enough silence to bring all of it out; returns the
// output lined up with the input. Silence never closes a half-wave.
std::vector<double> runAndFlush (LimiterEngine& engine, const std::vector<double>& in, int n,
                                 double levelDb = -1.0)
{
    std::vector<double> padded (in);
    padded.resize (in.size() + (size_t) n, 0.0);
    const auto out = run (engine, padded, {}, levelDb);
    return { out.left.begin() + n, out.left.end() };
}

LimiterEngine sized (int n = lookahead)
{
    LimiterEngine engine;
    engine.setLookahead (n);
    return engine;
}
} // namespace

TEST (LimiterEngine, DelaysByTheRingLengthAndStartsSilent)
{
    auto engine = sized (64);
    std::vector<double> in (200);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = 0.001 * double (i % 7 + 1); // positive: never crosses

    const auto out = run (engine, in);
    for (size_t i = 0; i < 64; ++i)
        ASSERT_EQ (out.left[i], 0.0);
    for (size_t i = 64; i < in.size(); ++i)
        ASSERT_EQ (out.left[i], in[i - 64]);
}

TEST (LimiterEngine, SignalsThatNeverCrossZeroPassUnchanged)
{
    for (double offset : { 0.0, 3.0, -5.0 })
    {
        auto engine = sized (100);
        std::vector<double> in (500);
        for (size_t i = 0; i < in.size(); ++i)
            in[i] = offset == 0.0 ? 0.0 : offset + 0.5 * std::sin (double (i) * 0.1) * (offset > 0 ? 1 : -1);

        const auto out = run (engine, in, {}, -6.0);
        for (size_t i = 100; i < in.size(); ++i)
            ASSERT_EQ (out.left[i], in[i - 100]) << "offset " << offset;
    }
}

TEST (LimiterEngine, ZeroSampleHidesTheCrossing)
{
    // +a, 0, -b is one half-wave, so nothing closes and all passes raw;
    // without the zero the crossing closes the loud half-wave and cuts it.
    std::vector<double> hidden, plain;
    for (int i = 0; i < 10; ++i)
        hidden.push_back (2.0), plain.push_back (2.0);
    hidden.push_back (0.0);
    for (int i = 0; i < 10; ++i)
        hidden.push_back (-2.0), plain.push_back (-2.0);

    auto engine = sized (64);
    const auto out = runAndFlush (engine, hidden, 64);
    for (size_t i = 0; i < hidden.size(); ++i)
        EXPECT_EQ (out[i], hidden[i]) << i;

    auto control = sized (64);
    const auto cut = runAndFlush (control, plain, 64);
    EXPECT_LT (std::abs (cut[0]), 1.0);
}

TEST (LimiterEngine, MonoRightChannelIsOnlyDelayed)
{
    auto engine = sized();
    const auto loud = sine (2.0, 100.0, 9600);
    const auto out = run (engine, loud, loud, -1.0, true);

    for (size_t i = lookahead; i < loud.size(); ++i)
        ASSERT_EQ (out.right[i], loud[i - lookahead]);
    EXPECT_LT (peak (out.left, 4800), 0.9);
}

TEST (LimiterEngine, SinesSettleAboutOneAndAHalfDbUnderTheCeiling)
{
    // Four equal samples interpolate to 1.1884 times their value.
    auto probe = sized (8);
    const double ring[8] = { 1, 1, 1, 1, 0, 0, 0, 0 };
    EXPECT_NEAR (probe.interpolatedPeak (ring, 1), 1.1884, 1e-4);

    for (double amplitude : { 1.0, 0.8, 0.76 })
    {
        auto engine = sized();
        const auto out = run (engine, sine (amplitude, 100.0, 48000));
        EXPECT_NEAR (peak (out.left, 24000), 0.750, 0.01) << "amplitude " << amplitude;
    }

    auto engine = sized();
    const auto quiet = sine (0.74, 100.0, 48000);
    const auto out = run (engine, quiet);
    for (size_t i = lookahead; i < quiet.size(); ++i)
        ASSERT_EQ (out.left[i], quiet[i - lookahead]);
}

TEST (LimiterEngine, ChannelsAreLimitedIndependently)
{
    auto engine = sized();
    const auto loud = sine (2.0, 100.0, 9600);
    const auto quiet = sine (0.5, 100.0, 9600);
    const auto out = run (engine, loud, quiet);

    EXPECT_LT (peak (out.left, 4800), 0.9);
    for (size_t i = lookahead; i < quiet.size(); ++i)
        ASSERT_EQ (out.right[i], quiet[i - lookahead]);
}

TEST (LimiterEngine, ShortHalfWavesMergeWithTheNext)
{
    // At 48 kHz a half-wave needs 4 samples: the 2-sample spike of 3.0 is not
    // judged alone but together with the quiet -0.5 half-wave after it.
    std::vector<double> in { 0.1, 0.1, 0.1, 0.1, 0.1, -0.1, -0.1, -0.1, -0.1, -0.1, 3.0, 3.0 };
    for (int i = 0; i < 8; ++i)
        in.push_back (-0.5);
    in.push_back (0.1); // closes the merged segment

    auto engine = sized (64);
    const auto out = runAndFlush (engine, in, 64);
    EXPECT_LT (std::abs (out[10]), 0.9);
    EXPECT_LT (std::abs (out[12]), 0.5 * 0.5);
    EXPECT_EQ (out[0], 0.1); // the quiet first half-wave is left alone
}

TEST (LimiterEngine, QuietHalfWaveIsJudgedByItsOwnSamplesOnly)
{
    // A -0.5 half-wave that opens on its peak ends just as a loud sample is
    // written at ring position 0. Its peak candidates must stay inside it.
    std::vector<double> in (56, 0.1);
    for (int i = 0; i < 8; ++i)
        in.push_back (-0.5);
    in.push_back (4.0); // lands at ring position 0 and closes the half-wave

    auto engine = sized (64);
    const auto out = runAndFlush (engine, in, 64);
    for (size_t i = 56; i < 64; ++i)
        EXPECT_EQ (out[i], -0.5) << i;
}

TEST (LimiterEngine, HalfWavesLongerThanTheRingAreProcessedOverTheirTail)
{
    // 10 Hz at 48 kHz: each half-wave is 2400 samples, longer than the ring.
    auto engine = sized();
    const auto in = sine (2.0, 10.0, 48000);
    const auto out = run (engine, in).left;

    // Only the last L mod N samples of a half-wave are still in the ring when
    // it closes; the earlier part has left unprocessed.
    const size_t n = lookahead;
    bool sawRaw = false, sawCut = false;
    for (size_t i = 4800 + n; i < in.size(); ++i)
    {
        if (std::abs (out[i] - in[i - n]) < 1e-15 && std::abs (in[i - n]) > 1.0)
            sawRaw = true;
        if (std::abs (out[i]) < std::abs (in[i - n]) * 0.9)
            sawCut = true;
    }
    EXPECT_TRUE (sawRaw);
    EXPECT_TRUE (sawCut);
}

TEST (LimiterEngine, LevelChangeAppliesToSegmentsThatEndAfterIt)
{
    auto engine = sized (4800);
    const auto in = sine (1.0, 100.0, 4800); // ten 240-sample half-waves, all in the ring
    std::vector<double> out;

    // The first five half-waves close under 0 dB, the rest under -6 dB.
    for (size_t i = 0; i < in.size(); ++i)
    {
        double l, r;
        engine.processSample (in[i], in[i], &l, &r, rate, i < 1200 ? 0.0 : -6.0, false);
    }
    for (size_t i = 0; i < in.size(); ++i)
    {
        double l, r;
        engine.processSample (0.0, 0.0, &l, &r, rate, -6.0, false);
        out.push_back (l);
    }

    EXPECT_GT (peak ({ out.begin() + 240, out.begin() + 1200 }), 0.7);
    EXPECT_LT (peak ({ out.begin() + 1440, out.begin() + 4560 }), 0.5);
}

TEST (LimiterEngine, NonFiniteInputRecovers)
{
    auto engine = sized();
    auto in = sine (1.5, 100.0, 48000);
    in[1000] = std::numeric_limits<double>::quiet_NaN();
    in[1001] = std::numeric_limits<double>::infinity();
    in[5000] = -std::numeric_limits<double>::infinity();

    const auto out = run (engine, in).left;

    // Once the bad samples have left the ring, output is the clean signal's,
    // limited as usual: nothing non-finite stayed in the state.
    auto clean = sized();
    const auto expected = run (clean, sine (1.5, 100.0, 48000)).left;
    for (size_t i = 5000 + 2 * lookahead; i < out.size(); ++i)
        ASSERT_EQ (out[i], expected[i]) << i;
    EXPECT_LT (peak (out, 24000), 0.8);
}

TEST (LimiterEngine, ResizeKeepsSegmentStartsAndClearsTheRest)
{
    auto engine = sized (1000);
    run (engine, sine (1.0, 100.0, 700));
    engine.setLookahead (300); // segment start may now lie past the end
    const auto out = run (engine, sine (1.0, 100.0, 3000));
    for (size_t i = 0; i < 300; ++i)
        ASSERT_EQ (out.left[i], 0.0);
    EXPECT_LT (peak (out.left, 1500), 0.8);
}

TEST (LimiterEngine, UnsizedEnginePassesThrough)
{
    LimiterEngine engine;
    double l = 0, r = 0;
    engine.processSample (0.25, -0.5, &l, &r, rate, -1.0, false);
    EXPECT_EQ (l, 0.25);
    EXPECT_EQ (r, -0.5);
}

TEST (LimiterEngine, ProcessingAllocatesNothing)
{
    auto engine = sized();
    const auto in = sine (2.0, 997.0, 48000);
    double l = 0, r = 0;

    AllocationCounter counter;
    for (double x : in)
        engine.processSample (x, -x, &l, &r, rate, -1.0, false);
    EXPECT_EQ (counter.count(), 0u);
}
