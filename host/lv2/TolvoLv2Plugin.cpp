#include "host/lv2/TolvoLv2Plugin.h"

#include "host/lv2/TolvoLv2Ports.h"
#include "processor/BlockSize.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
// LV2 announces no block length without options we do not ask for; the
// processor takes longer blocks in pieces of this many frames.
constexpr int preparedBlockSize = 8192;
} // namespace

TolvoLv2Plugin::TolvoLv2Plugin (double rate, int channels) :
    sampleRate (rate), numChannels (std::clamp (channels, 1, 2))
{
    // The processor keeps the LV2 rules (the host's bypass keeps the delay)
    // only when it knows it runs as an LV2.
    juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_LV2);
    processor = std::make_unique<TolvoAudioProcessor>();
    juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_Undefined);

    if (numChannels == 1)
    {
        juce::AudioProcessor::BusesLayout mono;
        mono.inputBuses.add (juce::AudioChannelSet::mono());
        mono.outputBuses.add (juce::AudioChannelSet::mono());
        processor->setBusesLayout (mono);
    }
}

void TolvoLv2Plugin::connectPort (uint32_t port, void* data) noexcept
{
    using namespace TolvoLv2Ports;
    const auto channels = (uint32_t) numChannels;

    if (port == enable)
        enablePort = static_cast<const float*> (data);
    else if (port == level)
        levelPort = static_cast<const float*> (data);
    else if (port == enabled)
        enabledPort = static_cast<const float*> (data);
    else if (port == latency)
        latencyPort = static_cast<float*> (data);
    else if (port >= firstAudio && port < firstAudio + channels)
        inputs[port - firstAudio] = static_cast<const float*> (data);
    else if (port >= firstAudio + channels && port < firstAudio + 2 * channels)
        outputs[port - firstAudio - channels] = static_cast<float*> (data);
}

void TolvoLv2Plugin::activate()
{
    processor->setRateAndBufferSizeDetails (sampleRate, preparedBlockSize);
    processor->prepareToPlay (sampleRate, preparedBlockSize);

    if (latencyPort != nullptr)
        *latencyPort = (float) processor->getLatencySamples();
}

void TolvoLv2Plugin::deactivate()
{
    processor->releaseResources();
}

void TolvoLv2Plugin::applyControls() noexcept
{
    // Written the way the host's automation reaches the other formats, so a
    // value snaps to the Level's steps alike; NaN keeps the Level it had.
    juce::AudioProcessorParameter& enable = *processor->enableParam;
    juce::AudioProcessorParameter& level = *processor->levelParam;

    if (enablePort != nullptr)
        enable.setValue (*enablePort >= 0.5f ? 1.0f : 0.0f);

    if (levelPort != nullptr && ! std::isnan (*levelPort))
        level.setValue (processor->levelParam->convertTo0to1 (*levelPort));
}

void TolvoLv2Plugin::run (uint32_t numFrames) noexcept
{
    for (int ch = 0; ch < numChannels; ++ch)
        if (outputs[ch] == nullptr)
            return;

    applyControls();

    // Positive means enabled; an unconnected port leaves the plug-in on.
    const bool bypassed = enabledPort != nullptr && ! (*enabledPort > 0.0f);

    // The processor reads the inputs where they are; the bypass works in
    // place, so there the input goes to the output first. An input the host
    // left unconnected is silence.
    bool direct = ! bypassed;
    for (int ch = 0; ch < numChannels; ++ch)
        direct = direct && inputs[ch] != nullptr;

    if (! direct)
        for (int ch = 0; ch < numChannels; ++ch)
        {
            if (inputs[ch] == nullptr)
                std::fill (outputs[ch], outputs[ch] + numFrames, 0.0f);
            else if (inputs[ch] != outputs[ch])
                std::memmove (outputs[ch], inputs[ch], numFrames * sizeof (float));
        }

    for (uint32_t start = 0; start < numFrames; start += (uint32_t) maximumBlockSize)
    {
        const int length = (int) std::min (numFrames - start, (uint32_t) maximumBlockSize);
        float* channels[2] { outputs[0] + start, numChannels > 1 ? outputs[1] + start : nullptr };
        block.setDataToReferTo (channels, numChannels, length);

        // Tells the processor a block begins, as the framework's wrappers do.
        processor->setNonRealtime (false);

        if (direct)
        {
            const float* sources[2] { inputs[0] + start, numChannels > 1 ? inputs[1] + start : nullptr };
            processor->processBlock (sources, block, midi);
        }
        else if (bypassed)
            processor->processBlockBypassed (block, midi);
        else
            processor->processBlock (block, midi);
    }

    if (latencyPort != nullptr)
        *latencyPort = (float) processor->getLatencySamples();
}
