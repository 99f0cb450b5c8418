#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

class LimiterEngine;

// The plug-in's processor: two parameters, a 30 ms look-ahead limiter run
// once per sample frame in double precision, and the saved state block.
class TolvoAudioProcessor : public juce::AudioProcessor
{
public:
    TolvoAudioProcessor();
    ~TolvoAudioProcessor() override;

    const juce::String getName() const override;

    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;

    void processBlock (juce::AudioBuffer<double>&, juce::MidiBuffer&) override;
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;

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

    // The host as the framework recognised it; its public type lets tests
    // play any host.
    juce::PluginHostType hostType;

private:
    bool isLatencyExemptHost() const;
    bool isBitwigHost() const;

    std::unique_ptr<LimiterEngine> limiter;
    int lookaheadSamples = 0;
    bool preparedForBitwig = false;
    double lastSampleRate = 0.0;

    // The float path widens blocks into this; sized in prepare, so the audio
    // thread never allocates (longer blocks go through it in pieces).
    juce::AudioBuffer<double> doubleBuffer;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TolvoAudioProcessor)
};
