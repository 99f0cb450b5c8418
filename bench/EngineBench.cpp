// The engine alone on every kind of material, plain C++ so that the same
// program builds for Linux and Windows and the two can be set side by side
// on one machine (the Windows one under Wine).
//
//   tolvo_engine_bench [--passes N] [--seconds S]
//
// Per material, at 48 kHz in float blocks of 512 frames at Level -0.1 dB:
// time per stereo frame, the fastest of the timed passes after one warm-up
// pass; then the geometric mean over the materials. Wall-clock time, which
// both systems count alike (Windows' clock() is wall time, its thread times
// tick in 10 ms steps); the fastest pass is the one the machine's other work
// disturbed least.

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

double runPass (LimiterEngine& engine, const Material& m, std::vector<float>& outLeft, std::vector<float>& outRight)
{
    const int n = (int) m.left.size();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; i += blockSize)
        engine.processBlock (m.left.data() + i, m.right.data() + i, outLeft.data(), outRight.data(),
                             std::min (blockSize, n - i), rate, -0.1, false);
    return std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();
}
} // namespace

int main (int argc, char** argv)
{
    int passes = 5;
    double seconds = 10.0;
    for (int i = 1; i + 1 < argc; i += 2)
    {
        const std::string option = argv[i];
        if (option == "--passes")
            passes = std::max (1, std::atoi (argv[i + 1]));
        else if (option == "--seconds")
            seconds = std::max (1.0, std::atof (argv[i + 1]));
    }

    std::printf ("| Material | ns/frame |\n|---|---|\n");
    double logSum = 0.0;
    const auto materials = makeMaterials ((int) (seconds * rate), rate);
    std::vector<float> outLeft ((size_t) blockSize), outRight ((size_t) blockSize);
    for (const auto& m : materials)
    {
        LimiterEngine engine;
        engine.setLookahead ((int) (rate * 30.0 / 1000.0));
        std::vector<double> times;
        for (int pass = 0; pass <= passes; ++pass)
        {
            const double t = runPass (engine, m, outLeft, outRight);
            if (pass > 0)
                times.push_back (t);
        }
        const double ns = *std::min_element (times.begin(), times.end()) * 1e9 / (double) m.left.size();
        logSum += std::log (ns);
        std::printf ("| %s | %.2f |\n", m.name.c_str(), ns);
    }
    std::printf ("| geometric mean | %.2f |\n", std::exp (logSum / (double) materials.size()));
    return 0;
}
