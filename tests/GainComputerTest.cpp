#include "limiter/LimiterEngine.h"

#include "ExpCallCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
// The engine's fixed settings: brick wall at the threshold.
double apply (LimiterEngine& engine, double sample, double detector, double thresholdDb,
              double releaseMs = 50.0, double sampleRate = 48000.0, int channel = 0)
{
    return engine.applyGainComputer (channel, sample, detector, sampleRate, 1.0, 1.0, thresholdDb,
                                     10000.0, 0.00001, releaseMs, 0.1);
}

LimiterEngine clearedEngine()
{
    LimiterEngine engine;
    engine.setLookahead (16);
    return engine;
}
} // namespace

TEST (GainComputer, AboveTheKneeCutsToTheThreshold)
{
    auto engine = clearedEngine();
    EXPECT_NEAR (apply (engine, 0.5, 1.0, -1.0), 0.445631, 1e-6);
    EXPECT_NEAR (engine.getHeldReductionDb (0), 0.9999, 1e-12);
    EXPECT_NEAR (engine.getSmoothedReductionDb (0), 0.9999, 1e-12);
}

TEST (GainComputer, BelowTheKneePassesAndReleasesHeldReduction)
{
    auto engine = clearedEngine();
    EXPECT_DOUBLE_EQ (apply (engine, 0.5, 0.5, -1.0), 0.5);

    // Leave a held reduction, then a quiet sample relaxes it by one step of r.
    apply (engine, 0.5, 1.0, -1.0);
    const double h = engine.getHeldReductionDb (0);
    const double r = std::exp (-1000.0 / (48000.0 * 50.0));
    EXPECT_NEAR (apply (engine, 0.5, 0.5, -1.0), 0.5 * std::pow (10.0, -(r * h) / 20.0), 1e-12);
    EXPECT_NEAR (engine.getHeldReductionDb (0), r * h, 1e-12);
}

TEST (GainComputer, ZeroSampleGivesZeroAndRelaxesOneStep)
{
    auto engine = clearedEngine();
    apply (engine, 0.9, 1.0, -1.0);
    const double h = engine.getHeldReductionDb (0);
    EXPECT_EQ (apply (engine, 0.0, 1.0, -1.0), 0.0);
    EXPECT_NEAR (engine.getHeldReductionDb (0), engine.getReleaseCoefficient (0) * h, 1e-12);
}

TEST (GainComputer, KneeEdgesMeetTheCurves)
{
    // Reduction inside the knee: 0.9999 (d + 0.055)^2 / 0.22 dB.
    const double threshold = -1.0;
    for (double d : { -0.055, -0.02, 0.0, 0.03, 0.055 })
    {
        auto engine = clearedEngine();
        const double detector = std::pow (10.0, (threshold + d) / 20.0);
        const double out = apply (engine, detector, detector, threshold);
        const double reductionDb = -20.0 * std::log10 (out / detector);
        EXPECT_NEAR (reductionDb, 0.9999 * (d + 0.055) * (d + 0.055) / 0.22, 1e-9) << "d = " << d;
    }

    auto engine = clearedEngine();
    const double top = std::pow (10.0, (threshold + 0.055) / 20.0);
    const double out = apply (engine, top, top, threshold);
    EXPECT_NEAR (-20.0 * std::log10 (out / top), 0.0549945, 1e-7);
}

TEST (GainComputer, GainNeverExceedsUnity)
{
    auto engine = clearedEngine();
    for (double x : { 1e-9, 0.01, 0.3, 0.89, 0.9, 1.5, 8.0 })
        for (double threshold : { -6.0, -1.0, 0.0 })
            EXPECT_LE (std::abs (apply (engine, x, x, threshold)), x);
}

TEST (GainComputer, CoefficientsAreCachedOnExactKeys)
{
    if (! ExpCallCounter::isAvailable())
        GTEST_SKIP() << "exp() cannot be counted here";

    const double r50 = std::exp (-1000.0 / (48000.0 * 50.0));
    const double r20 = std::exp (-1000.0 / (48000.0 * 20.0));
    const double r20at441 = std::exp (-1000.0 / (44100.0 * 20.0));
    auto engine = clearedEngine();

    // Each call takes one exponential for its gain; the two coefficients
    // cost one each only when their time or the rate has moved.
    auto exponentialsFor = [&engine] (double releaseMs, double sampleRate)
    {
        const ExpCallCounter counter;
        apply (engine, 0.5, 1.0, -1.0, releaseMs, sampleRate);
        return counter.count();
    };

    EXPECT_EQ (exponentialsFor (50.0, 48000.0), 3u); // cleared: attack and release
    EXPECT_EQ (engine.getReleaseCoefficient (0), r50);

    EXPECT_EQ (exponentialsFor (50.0, 48000.0), 1u); // both reused
    EXPECT_EQ (engine.getReleaseCoefficient (0), r50);

    EXPECT_EQ (exponentialsFor (20.0, 48000.0), 2u); // a new release time
    EXPECT_EQ (engine.getReleaseTimeMs (0), 20.0);
    EXPECT_EQ (engine.getReleaseCoefficient (0), r20);

    EXPECT_EQ (exponentialsFor (20.0, 44100.0), 3u); // a new rate: both again
    EXPECT_EQ (engine.getReleaseCoefficient (0), r20at441);

    // The other channel keeps its own, untouched state.
    EXPECT_EQ (engine.getReleaseCoefficient (1), 0.0);
}

TEST (GainComputer, NonFiniteValuesNeverStayInTheState)
{
    auto engine = clearedEngine();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();

    apply (engine, nan, 1.0, -1.0);
    apply (engine, inf, inf, -1.0);
    apply (engine, 0.5, nan, nan);
    apply (engine, 0.5, 1.0, inf);

    for (int ch = 0; ch < 2; ++ch)
    {
        EXPECT_TRUE (std::isfinite (engine.getHeldReductionDb (ch)));
        EXPECT_TRUE (std::isfinite (engine.getSmoothedReductionDb (ch)));
    }

    // An infinite threshold acts as 0 dB.
    auto fresh = clearedEngine();
    EXPECT_NEAR (apply (fresh, 2.0, 2.0, inf), 2.0 * std::pow (10.0, -(20.0 * std::log10 (2.0)) * 0.9999 / 20.0), 1e-9);
}
