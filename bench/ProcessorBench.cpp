#include "tools/ProgramSignal.h"
#include "processor/TolvoAudioProcessor.h"

#include <benchmark/benchmark.h>

// The host's path: one float block of 512 stereo frames at 48 kHz.
static void processorFloatBlock512 (benchmark::State& state)
{
    constexpr double rate = 48000.0;
    constexpr int block = 512;
    constexpr int frames = 48000;
    const auto left = makeProgramSignal (frames, rate, 0);
    const auto right = makeProgramSignal (frames, rate, 1);

    TolvoAudioProcessor processor;
    processor.setRateAndBufferSizeDetails (rate, block);
    processor.prepareToPlay (rate, block);
    *processor.levelParam = -1.0f;

    juce::AudioBuffer<float> buffer (2, block);
    juce::MidiBuffer midi;
    int position = 0;

    for (auto _ : state)
    {
        state.PauseTiming();
        for (int i = 0; i < block; ++i)
        {
            buffer.setSample (0, i, (float) left[(size_t) (position + i)]);
            buffer.setSample (1, i, (float) right[(size_t) (position + i)]);
        }
        position = position + 2 * block > frames ? 0 : position + block;
        state.ResumeTiming();

        processor.processBlock (buffer, midi);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
    }

    state.SetItemsProcessed (state.iterations() * block);
}
BENCHMARK (processorFloatBlock512)->Unit (benchmark::kMicrosecond);
