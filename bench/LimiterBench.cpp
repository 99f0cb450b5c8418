#include "tools/ProgramSignal.h"
#include "limiter/LimiterEngine.h"

#include <benchmark/benchmark.h>

#include <vector>

// Engine cost per stereo frame on program-like material, zero-crossing work
// included, in blocks of 512 frames at Level -1 dB: the same work as the
// processor's float block benchmark, without the path around the engine.
static void engineStereoFrame (benchmark::State& state)
{
    const double rate = (double) state.range (0);
    constexpr int block = 512;
    const int frames = (int) rate * 10;
    const auto left = makeProgramSignal (frames, rate, 0);
    const auto right = makeProgramSignal (frames, rate, 1);
    std::vector<double> outLeft (block), outRight (block);

    LimiterEngine engine;
    engine.setLookahead ((int) (rate * 30.0 / 1000.0));
    int position = 0;

    for (auto _ : state)
    {
        for (int i = 0; i < block; ++i)
            engine.processSample (left[(size_t) position + (size_t) i], right[(size_t) position + (size_t) i],
                                  &outLeft[(size_t) i], &outRight[(size_t) i], rate, -1.0, false);

        benchmark::DoNotOptimize (outLeft.data());
        benchmark::DoNotOptimize (outRight.data());
        benchmark::ClobberMemory();
        position = position + 2 * block > frames ? 0 : position + block;
    }

    state.SetItemsProcessed (state.iterations() * block);
    state.counters["time_per_frame"] = benchmark::Counter ((double) state.iterations() * block,
                                                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK (engineStereoFrame)->Arg (44100)->Arg (48000)->Arg (96000)->Arg (192000)->Unit (benchmark::kMicrosecond);
