#include "ProcessorState.h"

#include "processor/TolvoAudioProcessor.h"

std::vector<char> processorStateFor (bool enable, float levelDb)
{
    TolvoAudioProcessor processor;
    processor.enableParam->setValueNotifyingHost (enable ? 1.0f : 0.0f);
    processor.levelParam->setValueNotifyingHost (processor.levelParam->convertTo0to1 (levelDb));

    juce::MemoryBlock block;
    processor.getStateInformation (block);
    const auto* bytes = static_cast<const char*> (block.getData());
    return std::vector<char> (bytes, bytes + block.getSize());
}

std::vector<char> processorDefaultState()
{
    TolvoAudioProcessor processor;
    juce::MemoryBlock block;
    processor.getStateInformation (block);
    const auto* bytes = static_cast<const char*> (block.getData());
    return std::vector<char> (bytes, bytes + block.getSize());
}
