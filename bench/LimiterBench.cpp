#include "tools/ProgramSignal.h"
#include "limiter/LimiterEngine.h"

#include <benchmark/benchmark.h>

// Engine cost per stereo frame at 48 kHz, zero-crossing work included.
static void engineStereoFrame (benchmark::State& state)
{
    constexpr double rate = 48000.0;
    constexpr int frames = 48000;
    const auto left = makeProgramSignal (frames, rate, 0);
    const auto right = makeProgramSignal (frames, rate, 1);

    LimiterEngine engine;
    engine.setLookahead (1440);
    double outL = 0.0, outR = 0.0;
    int i = 0;

    for (auto _ : state)
    {
        engine.processSample (left[(size_t) i], right[(size_t) i], &outL, &outR, rate, -1.0, false);
        benchmark::DoNotOptimize (outL);
        benchmark::DoNotOptimize (outR);
        i = i + 1 == frames ? 0 : i + 1;
    }

    state.SetItemsProcessed (state.iterations());
}
BENCHMARK (engineStereoFrame);
