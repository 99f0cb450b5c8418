#pragma once

#include "processor/BypassDelay.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <cstdint>
#include <memory>

class LimiterEngine;
class SegmentObserver;

// The plug-in's processor: two parameters, a 30 ms look-ahead limiter run
// once per sample frame in double precision, and the saved state block.
class TolvoAudioProcessor : public juce::AudioProcessor
{
public:
    // The host is the one the framework recognises unless another is named.
    explicit TolvoAudioProcessor (juce::PluginHostType::HostType host = juce::PluginHostType().type);
    ~TolvoAudioProcessor() override;

    const juce::String getName() const override;

    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;

    void processBlock (juce::AudioBuffer<double>&, juce::MidiBuffer&) override;
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;

    // The float block read from `inputs`, one per input channel, instead of
    // from the buffer, for a binding whose host keeps them apart: the same
    // output, without copying the inputs into the buffer first.
    void processBlock (const float* const* inputs, juce::AudioBuffer<float>&, juce::MidiBuffer&);

    // The host's own bypass. VST3 and LV2 hosts get the input delayed by the
    // look-ahead, unlimited, so a bypassed track stays in time with the
    // latency still reported; every other format keeps the framework's
    // undelayed pass-through (AAX's Master Bypass among them).
    void processBlockBypassed (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    void processBlockBypassed (juce::AudioBuffer<double>&, juce::MidiBuffer&) override;

    // The wrappers call this before every block, bypassed or not; it tells
    // the bypass where a run of bypassed blocks begins.
    void setNonRealtime (bool isNonRealtime) noexcept override;

    // Tells `observer` (or no one, if null) where the engine closes each
    // segment, now and after every fresh start; for tools that explain the output.
    void setSegmentObserver (SegmentObserver* observer) noexcept;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    bool isMidiEffect() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int) override;
    const juce::String getProgramName (int) override;
    void changeProgramName (int, const juce::String&) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    bool isBusesLayoutSupported (const BusesLayout&) const override;

    // Owned by the base class's parameter list.
    juce::AudioParameterBool* enableParam = nullptr;
    juce::AudioParameterFloat* levelParam = nullptr;

private:
    juce::PluginHostType hostType;

    bool isLatencyExemptHost() const;
    bool isBitwigHost() const;
    bool keepsLatencyWhenBypassed() const;

    template <typename Sample>
    void processDelayedBypass (juce::AudioBuffer<Sample>&);
    template <typename Sample>
    void limitBlock (juce::AudioBuffer<Sample>&, bool silent, const Sample* const* inputs = nullptr);

    std::unique_ptr<LimiterEngine> limiter;
    SegmentObserver* segmentObserver = nullptr;
    int lookaheadSamples = 0;
    bool preparedForBitwig = false;
    double lastSampleRate = 0.0;

    // After a release the next prepare starts from a fresh engine, so a host's
    // deactivate and activate equal a fresh start; not in Bitwig, which
    // prepares on every transport start (see prepareToPlay).
    bool freshStartPending = false;

    // Host bypass: the unlimited delayed signal, the blocks begun so far (one
    // per setNonRealtime) and where the current bypassed run stands.
    BypassDelay bypassDelay;
    std::atomic<std::uint32_t> blocksBegun { 0 };
    std::uint32_t lastBypassedBlock = 0;
    bool bypassRunning = false;
    int framesSinceBypassBegan = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TolvoAudioProcessor)
};
