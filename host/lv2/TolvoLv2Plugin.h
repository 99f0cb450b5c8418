#pragma once

#include "processor/TolvoAudioProcessor.h"

#include <cstdint>
#include <memory>

// One LV2 instance: maps the ports onto the processor's calls. The processor
// keeps every rule of its own (Enable once per block, the delay-compensated
// host bypass, a fresh start after a release); this class only carries the
// ports' values to it and its latency back.
class TolvoLv2Plugin
{
public:
    TolvoLv2Plugin (double sampleRate, int numChannels);

    void connectPort (uint32_t port, void* data) noexcept;

    // Prepares the processor; after a deactivate this is a fresh start.
    void activate();
    void deactivate();

    // The audio thread's call: allocates nothing, locks nothing.
    void run (uint32_t numFrames) noexcept;

private:
    void applyControls() noexcept;

    std::unique_ptr<TolvoAudioProcessor> processor;
    const double sampleRate;
    const int numChannels;

    const float* enablePort = nullptr;
    const float* levelPort = nullptr;
    const float* enabledPort = nullptr;
    float* latencyPort = nullptr;
    const float* inputs[2] {};
    float* outputs[2] {};

    juce::AudioBuffer<float> block;
    juce::MidiBuffer midi;
};
