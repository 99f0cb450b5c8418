#include "limiter/LimiterEngine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace
{
constexpr double rate = 48000.0;

// One call of the gain law, at 48 kHz, with unit input and output gain.
struct Call
{
    double sample, detector, thresholdDb, ratio, attackMs, releaseMs, kneeDb;
};

// The engine's own settings: a brick wall at the threshold.
Call brickWall (double sample, double detector, double thresholdDb, double releaseMs = 50.0)
{
    return { sample, detector, thresholdDb, 10000.0, 0.00001, releaseMs, 0.1 };
}

double apply (LimiterEngine& engine, const Call& c, int channel = 0)
{
    return engine.applyGainComputer (channel, c.sample, c.detector, rate, 1.0, 1.0, c.thresholdDb, c.ratio,
                                     c.attackMs, c.releaseMs, c.kneeDb);
}

LimiterEngine clearedEngine()
{
    LimiterEngine engine;
    engine.setLookahead (16);
    return engine;
}

double dbToGain (double db) { return std::pow (10.0, db / 20.0); }

// The reduction (dB) a call's output shows.
double reductionOf (double out, double sample) { return -20.0 * std::log10 (out / sample); }

// Below the knee its static reduction is 0, so with the engine's instant
// attack the reduction it shows is r h: the held reduction h, released once.
Call probe() { return brickWall (0.5, 0.5, -1.0); }
} // namespace

// Gain reductions worked out by hand from the law: the static curve below,
// inside and above the knee, one release step, the attack stage and its
// doubling inside the knee. Each case runs from cleared state; the reduction
// of its last call is checked.
TEST (GainComputer, ReductionsMatchHandWorkedValues)
{
    const double r50 = std::exp (-1000.0 / (rate * 50.0));
    const double a100 = std::exp (-1000.0 / (rate * 100.0));
    const double a200 = std::exp (-1000.0 / (rate * 200.0));
    const double kneeHalfway = 0.5 * (0.5 + 3.005) * (0.5 + 3.005) / 12.02; // ratio 2, knee 6 dB, d = 0.5

    struct Case
    {
        const char* name;
        std::vector<Call> calls;
        double reductionDb;
    };

    const Case cases[] = {
        { "above the knee: 1 dB over, cut to the threshold + 1/10000 of it", { brickWall (0.5, 1.0, -1.0) }, 0.9999 },
        { "above the knee, ratio 4: 10 dB over keeps 2.5", { { 0.5, 1.0, -10.0, 4.0, 0.00001, 50.0, 0.0 } }, 7.5 },
        { "below the knee: passes", { brickWall (0.5, 0.5, -1.0) }, 0.0 },
        { "the knee's middle: 0.9999 (W/2)^2 / 2W", { brickWall (0.5, dbToGain (-1.0), -1.0) }, 0.013748625 },
        { "a 6 dB knee, ratio 2, 1 dB over: 0.5 (1 + 3.005)^2 / 12.02",
          { { 0.3, dbToGain (-9.0), -10.0, 2.0, 0.00001, 50.0, 6.0 } },
          0.6672223377703828 },
        { "one release step from 0.9999 dB", { brickWall (0.5, 1.0, -1.0), brickWall (0.5, 0.5, -1.0) }, r50 * 0.9999 },
        { "a 100 ms attack moves (1 - a) of the way", { { 0.5, 1.0, -10.0, 4.0, 100.0, 50.0, 0.0 } }, (1.0 - a100) * 7.5 },
        { "inside the knee a level curve doubles the attack time",
          { { 0.3, dbToGain (-9.5), -10.0, 2.0, 100.0, 50.0, 6.0 }, { 0.3, dbToGain (-9.5), -10.0, 2.0, 100.0, 50.0, 6.0 } },
          (1.0 - a200) * kneeHalfway + a200 * (1.0 - a100) * kneeHalfway },
    };

    for (const auto& c : cases)
    {
        auto engine = clearedEngine();
        double out = 0.0;
        for (const auto& call : c.calls)
            out = apply (engine, call);

        EXPECT_NEAR (-20.0 * std::log10 (out / c.calls.back().sample), c.reductionDb, 1e-12) << c.name;
    }
}

TEST (GainComputer, ZeroSampleGivesZeroAndRelaxesOneStep)
{
    const double r = std::exp (-1000.0 / (rate * 50.0));
    auto engine = clearedEngine();
    const double h = reductionOf (apply (engine, brickWall (0.9, 1.0, -1.0)), 0.9);
    EXPECT_EQ (apply (engine, brickWall (0.0, 1.0, -1.0)), 0.0);

    // Released once by the zero and once more by the probe.
    EXPECT_NEAR (reductionOf (apply (engine, probe()), 0.5), r * r * h, 1e-12);
}

TEST (GainComputer, GainNeverExceedsUnity)
{
    auto engine = clearedEngine();
    for (double x : { 1e-9, 0.01, 0.3, 0.89, 0.9, 1.5, 8.0 })
        for (double threshold : { -6.0, -1.0, 0.0 })
            EXPECT_LE (std::abs (apply (engine, brickWall (x, x, threshold))), x);
}

TEST (GainComputer, ReleaseCoefficientFollowsTheTimeAndTheRate)
{
    // One engine throughout, so every change of time or rate must reach the
    // coefficient. A call 2000 dB over sets the held reduction h, and a call
    // below the knee then shows r h; their ratio is r.
    auto engine = clearedEngine();
    auto releaseAt = [&engine] (double releaseMs, double sampleRate, int channel = 0)
    {
        auto reduction = [&] (double detector)
        {
            const double out = engine.applyGainComputer (channel, 0.5, detector, sampleRate, 1.0, 1.0, -1.0, 10000.0,
                                                         0.00001, releaseMs, 0.1);
            return reductionOf (out, 0.5);
        };
        const double h = reduction (1e100);
        return reduction (0.5) / h;
    };

    // The coefficient itself is within an ulp of exp's, but both reductions
    // are read back through exp and log10, a few roundings each. exp's error
    // is absolute in the reduction, some 2e-15 dB; over h that is 1e-18.
    auto tolerance = [] (double expected)
    { return 1e-15 * expected + 1e-18; };

    struct Case
    {
        double releaseMs, sampleRate;
    };
    std::vector<Case> cases { { 50.0, 48000.0 }, { 20.0, 48000.0 }, { 20.0, 44100.0 } };

    // Over the whole range of release times and rates, near 0 from a series.
    for (double hz : { 8000.0, 44100.0, 48000.0, 192000.0, 2000000.0 })
        for (double ms = 0.01; ms <= 100.0; ms *= 1.37)
            cases.push_back ({ ms, hz });

    for (const auto& c : cases)
    {
        const double expected = std::exp (-1000.0 / (c.sampleRate * c.releaseMs));
        const double got = releaseAt (c.releaseMs, c.sampleRate);
        EXPECT_NEAR (got, expected, tolerance (expected)) << c.sampleRate << " Hz, " << c.releaseMs << " ms";
    }

    // The other channel keeps its own state: untouched, it passes a sample
    // below the knee as is, and it works out its own coefficient.
    EXPECT_EQ (engine.applyGainComputer (1, 0.5, 0.5, rate, 1.0, 1.0, -1.0, 10000.0, 0.00001, 50.0, 0.1), 0.5);
    const double expected = std::exp (-1000.0 / (rate * 50.0));
    EXPECT_NEAR (releaseAt (50.0, rate, 1), expected, tolerance (expected));
}

TEST (GainComputer, NonFiniteValuesNeverStayInTheState)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double r = std::exp (-1000.0 / (rate * 50.0));

    // Each case follows a call that leaves 0.9999 dB held. Had a non-finite
    // value reached the state, the probe after it would show no reduction (a
    // state read as 0) or a non-finite one.
    struct Case
    {
        const char* name;
        Call call;
    };
    const Case cases[] = {
        { "NaN sample", brickWall (nan, 1.0, -1.0) },
        { "infinite sample and detector", brickWall (inf, inf, -1.0) },
        { "NaN detector and threshold", brickWall (0.5, nan, nan) },
        { "infinite threshold", brickWall (0.5, 1.0, inf) },
    };

    for (int ch = 0; ch < 2; ++ch)
        for (const auto& c : cases)
        {
            auto engine = clearedEngine();
            apply (engine, brickWall (0.5, 1.0, -1.0), ch);
            apply (engine, c.call, ch);
            const double shown = reductionOf (apply (engine, probe(), ch), 0.5);
            EXPECT_TRUE (std::isfinite (shown)) << c.name << ", channel " << ch;
            EXPECT_GE (shown, r * r * 0.9999 - 1e-12) << c.name << ", channel " << ch;
            EXPECT_LE (shown, 0.9999) << c.name << ", channel " << ch;
        }

    // An infinite threshold acts as 0 dB.
    auto fresh = clearedEngine();
    EXPECT_NEAR (apply (fresh, brickWall (2.0, 2.0, inf)), 2.0 * std::pow (10.0, -(20.0 * std::log10 (2.0)) * 0.9999 / 20.0), 1e-9);
}
