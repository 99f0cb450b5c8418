// The fast LimiterEngine against the straightforward ReferenceLimiter it
// replaced: same output and state, to the bit, over a corpus of program-like
// material, sines whose half-waves outlast the ring, clicks, gaps of silence
// and bad values, at four rates, mono and stereo, with Level moving and the
// rings re-sized in the middle of half-waves.

#include "limiter/LimiterEngine.h"
#include "oracle/ReferenceLimiter.h"
#include "tools/ProgramSignal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace
{
constexpr double pi = 3.14159265358979323846;

struct Corpus
{
    std::vector<double> left, right;
};

void append (Corpus& c, const std::vector<double>& l, const std::vector<double>& r)
{
    c.left.insert (c.left.end(), l.begin(), l.end());
    c.right.insert (c.right.end(), r.begin(), r.end());
}

std::vector<double> sine (double amplitude, double frequency, int frames, double rate, double phase = 0.0)
{
    std::vector<double> x ((size_t) frames);
    for (int i = 0; i < frames; ++i)
        x[(size_t) i] = amplitude * std::sin (2.0 * pi * frequency * i / rate + phase);
    return x;
}

// Noise bursts with digital silence between them, exact zeros and
// subnormals inside half-waves, and spikes shorter than the shortest segment.
std::vector<double> clicksAndGaps (int frames, unsigned seed)
{
    std::mt19937 random (seed);
    std::uniform_real_distribution<double> uniform (-2.5, 2.5);
    std::vector<double> x ((size_t) frames, 0.0);

    for (int i = 0; i < frames; ++i)
    {
        const int phase = i % 2000;
        if (phase < 1200)
            x[(size_t) i] = uniform (random) * (phase < 600 ? 1.0 : 0.2);
        if (i % 97 == 0)
            x[(size_t) i] = 0.0;
        if (i % 211 == 0)
            x[(size_t) i] = 4.9e-320;
        if (phase >= 1500 && phase < 1503)
            x[(size_t) i] = phase % 2 == 0 ? 3.0 : -3.0;
    }
    return x;
}

Corpus makeCorpus (double rate, bool withBadValues)
{
    Corpus c;
    const int second = (int) rate;

    append (c, makeProgramSignal (second, rate, 0), makeProgramSignal (second, rate, 1));
    append (c, sine (1.0, 20.0, second / 4, rate), sine (0.9, 20.0, second / 4, rate, 1.0)); // 20 Hz at 0 dBFS
    append (c, sine (1.5, 10.0, second / 4, rate), sine (1.2, 13.0, second / 4, rate)); // half-waves longer than the ring
    append (c, sine (2.0, 997.0, second / 8, rate), sine (0.76, 100.0, second / 8, rate));
    append (c, sine (0.8, 3000.0, second / 8, rate), sine (0.74, 100.0, second / 8, rate));
    append (c, clicksAndGaps (second / 4, 7u), clicksAndGaps (second / 4, 8u));

    if (withBadValues)
    {
        c.left[(size_t) second / 3] = std::numeric_limits<double>::quiet_NaN();
        c.left[(size_t) second / 3 + 1] = std::numeric_limits<double>::infinity();
        c.right[(size_t) second / 2] = -std::numeric_limits<double>::infinity();
        c.right[(size_t) second / 2 + 5] = 1e300;
    }
    return c;
}

// Level for each frame: constant, or moving in steps that land inside
// half-waves, over the whole range.
using LevelSchedule = double (*) (size_t frame);

double levelMinus6 (size_t) { return -6.0; }
double levelDefault (size_t) { return (double) -0.1f; }
double levelZero (size_t) { return 0.0; }
double levelMoving (size_t frame)
{
    static const double steps[] = { -1.0, -6.0, (double) -0.1f, -3.3, 0.0, (double) -2.47f, -0.5, -4.0 };
    return steps[(frame / 137) % (sizeof (steps) / sizeof (steps[0]))];
}

struct Difference
{
    double largest = 0.0;
    size_t differing = 0;

    void add (double a, double b)
    {
        std::uint64_t x, y;
        std::memcpy (&x, &a, sizeof x);
        std::memcpy (&y, &b, sizeof y);
        if (x == y)
            return;

        ++differing;
        const double d = std::abs (a - b);
        largest = std::isnan (d) ? std::numeric_limits<double>::infinity() : std::max (largest, d);
    }
};

// Runs both engines over the corpus, re-sizing both twice in mid-stream.
Difference compare (double rate, bool mono, LevelSchedule level, bool withBadValues)
{
    const Corpus c = makeCorpus (rate, withBadValues);
    const int lookahead = (int) (rate * 30.0 / 1000.0);
    const size_t firstResize = c.left.size() / 3 + 17;
    const size_t secondResize = 2 * c.left.size() / 3 + 5;

    LimiterEngine fast;
    ReferenceLimiter reference;
    fast.setLookahead (lookahead);
    reference.setLookahead (lookahead);

    Difference diff;
    for (size_t i = 0; i < c.left.size(); ++i)
    {
        if (i == firstResize || i == secondResize)
        {
            const int n = i == firstResize ? lookahead * 2 / 3 : lookahead;
            fast.setLookahead (n);
            reference.setLookahead (n);
        }

        const double inRight = mono ? c.left[i] : c.right[i];
        double fl = 0.0, fr = 0.0, rl = 0.0, rr = 0.0;
        fast.processSample (c.left[i], inRight, &fl, &fr, rate, level (i), mono);
        reference.processSample (c.left[i], inRight, &rl, &rr, rate, level (i), mono);
        diff.add (fl, rl);
        diff.add (fr, rr);
    }

    for (int ch = 0; ch < 2; ++ch)
    {
        diff.add (fast.getHeldReductionDb (ch), reference.getHeldReductionDb (ch));
        diff.add (fast.getSmoothedReductionDb (ch), reference.getSmoothedReductionDb (ch));
        diff.add (fast.getReleaseTimeMs (ch), reference.getReleaseTimeMs (ch));
        diff.add (fast.getReleaseCoefficient (ch), reference.getReleaseCoefficient (ch));
    }
    return diff;
}
} // namespace

TEST (LimiterOracle, SameOutputAsTheReferenceAtEveryRateLayoutAndLevel)
{
    const LevelSchedule schedules[] = { levelMinus6, levelDefault, levelZero, levelMoving };

    for (double rate : { 44100.0, 48000.0, 96000.0, 192000.0 })
        for (bool mono : { false, true })
            for (size_t s = 0; s < 4; ++s)
            {
                const auto diff = compare (rate, mono, schedules[s], s == 3);
                EXPECT_LE (diff.largest, 1e-12) << rate << " Hz, mono " << mono << ", schedule " << s;
                EXPECT_EQ (diff.differing, 0u) << rate << " Hz, mono " << mono << ", schedule " << s;
            }
}

TEST (LimiterOracle, GainComputerMatchesTheReferenceForAnySettings)
{
    // The public gain law with settings the engine never uses, bad values
    // included, through one long run of shared state.
    std::mt19937 random (42u);
    std::uniform_real_distribution<double> unit (0.0, 1.0);
    const double specials[] = { 0.0, -0.0, 4.9e-320, std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN() };
    auto pick = [&] (double lo, double hi)
    {
        const double u = unit (random);
        return u < 0.04 ? specials[(size_t) (u * 150.0) % 6] : lo + (hi - lo) * unit (random);
    };

    LimiterEngine fast;
    ReferenceLimiter reference;
    fast.setLookahead (16);
    reference.setLookahead (16);

    Difference diff;
    for (int i = 0; i < 200000; ++i)
    {
        const int channel = i % 3 == 0 ? 1 : 0;
        const double sample = pick (-3.0, 3.0);
        const double detector = pick (0.0, 3.0);
        const double rate = i % 5000 < 10 ? pick (8000.0, 200000.0) : 48000.0;
        const double threshold = pick (-10.0, 1.0);
        const double ratio = i % 7 == 0 ? pick (0.5, 20.0) : 10000.0;
        const double attack = i % 11 == 0 ? pick (0.001, 10.0) : 0.00001;
        const double release = i % 13 == 0 ? pick (0.01, 100.0) : 50.0;
        const double knee = i % 17 == 0 ? pick (0.0, 6.0) : 0.1;
        const double inGain = i % 19 == 0 ? pick (0.0, 2.0) : 1.0;
        const double outGain = i % 23 == 0 ? pick (0.0, 2.0) : 1.0;

        diff.add (fast.applyGainComputer (channel, sample, detector, rate, inGain, outGain, threshold, ratio, attack, release, knee),
                  reference.applyGainComputer (channel, sample, detector, rate, inGain, outGain, threshold, ratio, attack, release, knee));
        diff.add (fast.getHeldReductionDb (channel), reference.getHeldReductionDb (channel));
        diff.add (fast.getSmoothedReductionDb (channel), reference.getSmoothedReductionDb (channel));
        diff.add (fast.getReleaseCoefficient (channel), reference.getReleaseCoefficient (channel));
    }

    EXPECT_EQ (diff.differing, 0u) << "largest difference " << diff.largest;
}

TEST (LimiterOracle, InterpolatedPeakMatchesTheReference)
{
    std::mt19937 random (3u);
    std::normal_distribution<double> normal (0.0, 1.0);
    std::vector<double> ring (64);
    for (double& x : ring)
        x = normal (random);

    LimiterEngine fast;
    ReferenceLimiter reference;
    fast.setLookahead (64);
    reference.setLookahead (64);

    Difference diff;
    for (double rate : { 8000.0, 44100.0, 48000.0, 88200.0, 96000.0, 192000.0, 384000.0 })
        for (int c = 0; c < 64; ++c)
            diff.add (fast.interpolatedPeak (ring.data(), c, rate), reference.interpolatedPeak (ring.data(), c, rate));

    EXPECT_EQ (diff.differing, 0u) << "largest difference " << diff.largest;
}
