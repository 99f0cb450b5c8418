#include "Material.h"
#include "tools/ProgramSignal.h"
#include "processor/TolvoAudioProcessor.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <cmath>
#include <vector>

namespace
{
constexpr double benchRate = 48000.0;

// Ten seconds of stereo material as float blocks would carry it.
juce::AudioBuffer<float> toBuffer (const Material& m)
{
    juce::AudioBuffer<float> buffer (2, (int) m.left.size());
    buffer.copyFrom (0, 0, m.left.data(), buffer.getNumSamples());
    buffer.copyFrom (1, 0, m.right.data(), buffer.getNumSamples());
    return buffer;
}

juce::AudioBuffer<float> makeMaterial (bool lowSine)
{
    const int frames = (int) benchRate * 10;
    juce::AudioBuffer<float> material (2, frames);

    for (int ch = 0; ch < 2; ++ch)
    {
        const auto x = makeProgramSignal (frames, benchRate, ch);
        for (int i = 0; i < frames; ++i)
            material.setSample (ch, i, lowSine ? (float) std::sin (2.0 * 3.14159265358979323846 * 20.0 * i / benchRate) : (float) x[(size_t) i]);
    }
    return material;
}

double threadSeconds()
{
    timespec ts {};
    clock_gettime (CLOCK_THREAD_CPUTIME_ID, &ts);
    return (double) ts.tv_sec + 1e-9 * (double) ts.tv_nsec;
}

struct PreparedProcessor
{
    explicit PreparedProcessor (int block)
    {
        processor.setRateAndBufferSizeDetails (benchRate, block);
        processor.prepareToPlay (benchRate, block);
        *processor.levelParam = -1.0f;
    }

    TolvoAudioProcessor processor;
    juce::MidiBuffer midi;
};

// Walks a working copy of the material block by block; the blocks are
// processed in place, so the copy is restored from the material after each
// pass (outside the timing).
class BlockCursor
{
public:
    BlockCursor (const juce::AudioBuffer<float>& source, int blockSize) :
        material (source), work (source), block (blockSize) {}

    // The next block, referring into the working copy; false when the pass ends.
    bool next (juce::AudioBuffer<float>& view)
    {
        if (position + block > work.getNumSamples())
            return false;

        view.setDataToReferTo (work.getArrayOfWritePointers(), 2, position, block);
        position += block;
        return true;
    }

    // Restores the working copy for another pass.
    void rewind()
    {
        work.makeCopyOf (material, true);
        position = 0;
    }

private:
    const juce::AudioBuffer<float>& material;
    juce::AudioBuffer<float> work;
    int block;
    int position = 0;
};
} // namespace

// The host's path: one float block of 512 stereo frames at 48 kHz, Level -1 dB.
static void processorFloatBlock512 (benchmark::State& state)
{
    constexpr int block = 512;
    const auto material = makeMaterial (false);
    PreparedProcessor prepared (block);
    BlockCursor cursor (material, block);
    juce::AudioBuffer<float> view;

    for (auto _ : state)
    {
        if (! cursor.next (view))
        {
            state.PauseTiming();
            cursor.rewind();
            cursor.next (view);
            state.ResumeTiming();
        }

        prepared.processor.processBlock (view, prepared.midi);
        benchmark::DoNotOptimize (view.getReadPointer (0));
    }

    state.SetItemsProcessed (state.iterations() * block);
    state.counters["time_per_frame"] = benchmark::Counter ((double) state.iterations() * block,
                                                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK (processorFloatBlock512)->Unit (benchmark::kMicrosecond);

// The worst blocks: 64-frame float blocks at 48 kHz, each one timed, over
// each kind of bench/Material's material, and last a 20 Hz sine at 0 dBFS,
// whose half-waves (1200 samples) are closed and processed whole in one call.
// Reports the 99.9th percentile and the largest block cost (the thread's CPU
// time, which leaves out the moments the scheduler gives the core to others),
// also as shares of the block's 1.33 ms, each block at its lowest over the
// passes, as a busy machine only ever adds to them.
static void processorWorstBlock64 (benchmark::State& state)
{
    constexpr int block = 64;
    const auto kinds = makeMaterials ((int) benchRate * 10, benchRate);
    const size_t kind = (size_t) state.range (0);
    const auto material = kind < kinds.size() ? toBuffer (kinds[kind]) : makeMaterial (true);
    state.SetLabel (kind < kinds.size() ? kinds[kind].name : "sine 20 0dBFS");
    PreparedProcessor prepared (block);
    BlockCursor cursor (material, block);
    juce::AudioBuffer<float> view;
    // Each block's lowest time over the runs: an interrupt or a moment the
    // core was given away lands on one run's block, not on all three.
    std::vector<double> costs ((size_t) (material.getNumSamples() / block), 1e9);

    for (auto _ : state)
    {
        cursor.rewind();
        for (size_t k = 0; cursor.next (view); ++k)
        {
            const double start = threadSeconds();
            prepared.processor.processBlock (view, prepared.midi);
            costs[k] = std::min (costs[k], threadSeconds() - start);
        }
    }
    std::sort (costs.begin(), costs.end());
    const double p999 = costs[costs.size() * 999 / 1000], worst = costs.back();

    const double duration = block / benchRate;
    state.counters["p999_share"] = p999 / duration;
    state.counters["p999_us"] = p999 * 1e6;
    state.counters["worst_share"] = worst / duration;
    state.counters["worst_us"] = worst * 1e6;
}
BENCHMARK (processorWorstBlock64)->DenseRange (0, (int) materialNames().size())->Unit (benchmark::kMillisecond)->Iterations (3);
