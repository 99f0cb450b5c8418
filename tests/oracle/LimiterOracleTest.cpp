// The LimiterEngine against ReferenceLimiter, the engine as first written:
// every output sample within 1e-12 over a corpus of program-like material,
// a 20 Hz sine at 0 dBFS, sines whose half-waves outlast the ring or are
// shorter than the shortest segment, quiet segments lifted over the ceiling
// by the loud sample before them, clicks, gaps of silence and bad values,
// at every common rate and one far above them, mono and stereo, with Level
// moving inside half-waves, the rings re-sized, the calls paused in
// mid-stream and the stream cut into blocks of many sizes.

#include "limiter/LimiterEngine.h"
#include "oracle/ReferenceLimiter.h"
#include "tools/ProgramSignal.h"

#include <gtest/gtest.h>
#include <hwy/targets.h>

#include <algorithm>
#include <cmath>
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

// A half-wave that ends on a sample near 0 dBFS, then a quiet segment (two
// short half-waves merged) whose estimate, reading that sample, passes the
// ceiling: judged by its own samples alone, it would seem far under it.
std::vector<double> quietAfterLoud (int frames)
{
    static const double loud[] = { 0.3, 0.6, 0.9, 0.98 }, quiet[] = { -0.58, -0.58, 0.5, 0.5 };
    std::vector<double> x ((size_t) frames);
    for (int i = 0; i < frames; ++i)
    {
        const int k = i % 8;
        const double sign = (i / 8) % 2 == 0 ? 1.0 : -1.0;
        x[(size_t) i] = sign * (k < 4 ? loud[k] : quiet[k - 4]);
    }
    return x;
}

// `seconds` of material per second of the full corpus.
Corpus makeCorpus (double rate, double seconds, bool withBadValues)
{
    Corpus c;
    const int second = (int) (rate * seconds);

    append (c, makeProgramSignal (second, rate, 0), makeProgramSignal (second, rate, 1));
    append (c, sine (1.0, 20.0, second / 4, rate), sine (0.9, 20.0, second / 4, rate, 1.0)); // 20 Hz at 0 dBFS
    append (c, sine (1.5, 10.0, second / 4, rate), sine (1.2, 13.0, second / 4, rate)); // half-waves longer than the ring
    append (c, sine (2.0, 997.0, second / 8, rate), sine (0.76, 100.0, second / 8, rate));
    append (c, sine (0.8, 3000.0, second / 8, rate), sine (0.74, 100.0, second / 8, rate));
    append (c, clicksAndGaps (second / 4, 7u), clicksAndGaps (second / 4, 8u));
    // Half-waves shorter than the shortest segment, over the ceiling: chains
    // of segments each judged by the last, gained sample of the one before.
    append (c, sine (2.0, 10000.0, second / 8, rate), sine (1.2, 7000.0, second / 8, rate, 0.5));
    append (c, quietAfterLoud (second / 16), quietAfterLoud (second / 16));

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

// Difference of two outputs with 1.0 as full scale; beyond it, where only a
// sample far over full scale that its segment cut by a few dB can land, in
// parts of the model's value. A NaN where the other is not counts as infinite.
double difference (double a, double b)
{
    if (std::isnan (a) || std::isnan (b))
        return std::isnan (a) && std::isnan (b) ? 0.0 : std::numeric_limits<double>::infinity();
    return a == b ? 0.0 : std::abs (a - b) / std::max (1.0, std::abs (b));
}

struct Comparison
{
    double largest = 0.0;
    double closestCeilingCall = 0.0;
    double closestKneeCallDb = 0.0;
};

// Runs both engines over the corpus, re-sizing both twice in mid-stream and
// leaving out a stretch of calls, as a host does while Enable is off.
Comparison compare (double rate, double seconds, bool mono, LevelSchedule level, bool withBadValues)
{
    const Corpus c = makeCorpus (rate, seconds, withBadValues);
    const int lookahead = (int) (rate * 30.0 / 1000.0);
    const size_t firstResize = c.left.size() / 3 + 17;
    const size_t secondResize = 2 * c.left.size() / 3 + 5;
    const size_t pauseFrom = c.left.size() / 2 + 3, pauseTo = pauseFrom + (size_t) lookahead / 2;

    LimiterEngine engine;
    ReferenceLimiter reference;
    engine.setLookahead (lookahead);
    reference.setLookahead (lookahead);

    // The engine takes blocks of changing size, as hosts cut the stream, each
    // at the Level of its first frame; a block ends where the stream is
    // re-sized or paused.
    Comparison result;
    const size_t blockSizes[] = { 1, 7, 512, 3000, 64, 2 };
    std::vector<double> el, er;
    for (size_t i = 0, b = 0; i < c.left.size(); ++b)
    {
        if (i == firstResize || i == secondResize)
        {
            const int n = i == firstResize ? lookahead * 2 / 3 : lookahead;
            engine.setLookahead (n);
            reference.setLookahead (n);
        }

        if (i >= pauseFrom && i < pauseTo)
        {
            i = pauseTo;
            continue;
        }

        size_t n = std::min (blockSizes[b % std::size (blockSizes)], c.left.size() - i);
        for (const size_t cut : { firstResize, secondResize, pauseFrom })
            if (i < cut && i + n > cut)
                n = cut - i;

        const std::vector<double>& right = mono ? c.left : c.right;
        el.resize (n);
        er.resize (n);
        engine.processBlock (c.left.data() + i, right.data() + i, el.data(), er.data(), (int) n, rate, level (i), mono);
        for (size_t k = 0; k < n; ++k, ++i)
        {
            double rl = 0.0, rr = 0.0;
            reference.processSample (c.left[i], right[i], &rl, &rr, rate, level (i - k), mono);
            result.largest = std::max ({ result.largest, difference (el[k], rl), difference (er[k], rr) });
        }
    }

    result.closestCeilingCall = reference.getClosestCeilingCall();
    result.closestKneeCallDb = reference.getClosestKneeCallDb();
    return result;
}
} // namespace

TEST (LimiterOracle, EveryOutputWithin1e12OfTheModel)
{
    const LevelSchedule schedules[] = { levelMinus6, levelDefault, levelZero, levelMoving };

    // 2 MHz is past the rate where the attack stage can be left out: the
    // general gain law runs there, over a shorter corpus.
    for (double rate : { 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0, 384000.0, 2000000.0 })
        for (bool mono : { false, true })
            for (size_t s = 0; s < 4; ++s)
            {
                const double seconds = rate > 200000.0 ? 0.25 : 1.0;
                const auto c = compare (rate, seconds, mono, schedules[s], s == 3);
                EXPECT_LE (c.largest, 1e-12) << rate << " Hz, mono " << mono << ", schedule " << s;

                // Far wider than any difference of the samples: both took
                // every ceiling and knee decision the same way.
                EXPECT_GT (c.closestCeilingCall, 1e-9) << rate << " Hz, mono " << mono << ", schedule " << s;
                EXPECT_GT (c.closestKneeCallDb, 1e-9) << rate << " Hz, mono " << mono << ", schedule " << s;
            }
}

// The kernels are built for several instruction sets and the processor picks
// one: each that this machine runs gives the model's output.
TEST (LimiterOracle, EveryInstructionSetWithin1e12OfTheModel)
{
    for (const int64_t target : hwy::SupportedAndGeneratedTargets())
    {
        hwy::SetSupportedTargetsForTest (target);
        for (bool mono : { false, true })
            EXPECT_LE (compare (44100.0, 1.0, mono, levelMoving, true).largest, 1e-12) << hwy::TargetName (target) << ", mono " << mono;
    }
    hwy::SetSupportedTargetsForTest (0);
}

// Closed segments wait and are judged side by side, or alone, depending on
// where the blocks are cut: on every instruction set the output must not.
TEST (LimiterOracle, BlockCutsChangeNoOutputOnAnyInstructionSet)
{
    const Corpus c = makeCorpus (48000.0, 0.5, true);
    const auto render = [&c] (std::initializer_list<size_t> sizes)
    {
        LimiterEngine engine;
        engine.setLookahead (1440);
        std::vector<double> out (2 * c.left.size());
        const std::vector<size_t> cut (sizes);
        for (size_t i = 0, b = 0; i < c.left.size(); ++b)
        {
            const size_t n = std::min (cut[b % cut.size()], c.left.size() - i);
            engine.processBlock (c.left.data() + i, c.right.data() + i, out.data() + i, out.data() + c.left.size() + i, (int) n,
                                 48000.0, -0.1, false);
            i += n;
        }
        return out;
    };

    for (const int64_t target : hwy::SupportedAndGeneratedTargets())
    {
        hwy::SetSupportedTargetsForTest (target);
        const auto one = render ({ 1 });
        const auto blocks = render ({ 512, 7, 3000, 64, 1, 33 });
        size_t differ = 0;
        for (size_t i = 0; i < one.size(); ++i)
            differ += ! (one[i] == blocks[i] || (std::isnan (one[i]) && std::isnan (blocks[i])));
        EXPECT_EQ (differ, 0u) << hwy::TargetName (target);
    }
    hwy::SetSupportedTargetsForTest (0);
}

TEST (LimiterOracle, InterpolatedPeakMatchesTheModelAtEveryRate)
{
    std::mt19937 random (3u);
    std::normal_distribution<double> normal (0.0, 1.0);
    std::vector<double> ring (64);
    for (double& x : ring)
        x = normal (random);

    LimiterEngine engine;
    ReferenceLimiter reference;
    engine.setLookahead (64);
    reference.setLookahead (64);

    for (double rate : { 8000.0, 44100.0, 48000.0, 88200.0, 96000.0, 192000.0, 384000.0 })
        for (int c = 0; c < 64; ++c)
        {
            const double expected = reference.interpolatedPeak (ring.data(), c, rate);
            EXPECT_NEAR (engine.interpolatedPeak (ring.data(), c), expected, 1e-14 * expected) << rate << " Hz, " << c;
        }
}
