// The engine alone on every kind of material, plain C++ so that the same
// program builds for Linux and Windows and the two can be set side by side
// on one machine (the Windows one under Wine).
//
//   tolvo_engine_bench [--passes N] [--seconds S] [--material NAME]
//
// Per material, at 48 kHz in float blocks of 512 frames at Level -0.1 dB:
// time per stereo frame after one warm-up pass; then the geometric mean over
// the materials. Wall-clock time, which both systems count alike (Windows'
// thread times tick in 10 ms steps), taken per stretch of 4 blocks: each
// stretch counts with its fastest pass, so that a moment the scheduler gave
// the core to other work, which lasts milliseconds, counts in none.

#include "Material.h"
#include "limiter/LimiterEngine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
constexpr double rate = 48000.0;
constexpr int blockSize = 512;
constexpr int blocksTimed = 4; // timed together: the clock's own cost stays small

// Runs the material through in blocks, lowering each stretch of blocksTimed
// blocks' entry in `fastest` to this pass's time for it where that is less.
void runPass (LimiterEngine& engine, const Material& m, std::vector<float>& outLeft, std::vector<float>& outRight,
              std::vector<double>& fastest)
{
    using Clock = std::chrono::steady_clock;
    const int n = (int) m.left.size();
    constexpr int stretch = blocksTimed * blockSize;
    for (int start = 0, k = 0; start < n; start += stretch, ++k)
    {
        const auto begin = Clock::now();
        for (int i = start; i < std::min (n, start + stretch); i += blockSize)
            engine.processBlock (m.left.data() + i, m.right.data() + i, outLeft.data(), outRight.data(),
                                 std::min (blockSize, n - i), rate, -0.1, false);
        const double t = std::chrono::duration<double> (Clock::now() - begin).count();
        fastest[(size_t) k] = std::min (fastest[(size_t) k], t);
    }
}
} // namespace

int main (int argc, char** argv)
{
    int passes = 5;
    double seconds = 10.0;
    std::string only; // one material by name, for a profiler
    for (int i = 1; i + 1 < argc; i += 2)
    {
        const std::string option = argv[i];
        if (option == "--passes")
            passes = std::max (1, std::atoi (argv[i + 1]));
        else if (option == "--seconds")
            seconds = std::max (1.0, std::atof (argv[i + 1]));
        else if (option == "--material")
            only = argv[i + 1];
    }

    std::printf ("| Material | ns/frame |\n|---|---|\n");
    double logSum = 0.0;
    const auto materials = makeMaterials ((int) (seconds * rate), rate);
    std::vector<float> outLeft ((size_t) blockSize), outRight ((size_t) blockSize);
    int timed = 0;
    for (const auto& m : materials)
    {
        if (! only.empty() && m.name != only)
            continue;
        ++timed;
        LimiterEngine engine;
        engine.setLookahead ((int) (rate * 30.0 / 1000.0));
        std::vector<double> fastest (m.left.size() / (blocksTimed * blockSize) + 1, 1e9);
        runPass (engine, m, outLeft, outRight, fastest); // warm-up
        std::fill (fastest.begin(), fastest.end(), 1e9);
        for (int pass = 0; pass < passes; ++pass)
            runPass (engine, m, outLeft, outRight, fastest);
        double total = 0.0;
        for (const double t : fastest)
            total += t < 1e9 ? t : 0.0;
        const double ns = total * 1e9 / (double) m.left.size();
        logSum += std::log (ns);
        std::printf ("| %s | %.2f |\n", m.name.c_str(), ns);
    }
    std::printf ("| geometric mean | %.2f |\n", std::exp (logSum / std::max (1, timed)));
    return 0;
}
