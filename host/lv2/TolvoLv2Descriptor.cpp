// Tolvo's LV2 entry point: a thin layer over the framework's LV2 descriptor.
//
// The framework's LV2 client is compiled unchanged, with its entry point
// renamed to juceLv2Descriptor (see cmake/TolvoFormats.cmake). This layer
// passes every call through and adds two things the framework leaves out:
// - activate() returns the processor to a fresh start (the framework prepares
//   only at instantiation, and its activate does nothing), so audio from
//   before a deactivate never comes out again;
// - after instantiation and every activate, all parameter values are flagged
//   as changed, so the framework reports them on the output port at the next
//   run() and the host shows what the plug-in holds.
// The handle the host gets is the framework's own, so the framework's UI
// (which reaches the instance through instance-access) keeps working.

#include "host/lv2/Lv2InstanceRegistry.h"
#include "processor/TolvoAudioProcessor.h"

#include <lv2/core/lv2.h>

extern "C" const LV2_Descriptor* juceLv2Descriptor (uint32_t index);

namespace
{
Lv2InstanceRegistry& registry()
{
    static Lv2InstanceRegistry instances;
    return instances;
}

const LV2_Descriptor& framework()
{
    return *juceLv2Descriptor (0);
}

// Tells the framework's parameter store that every value is new.
void announceValues (TolvoAudioProcessor& processor)
{
    for (auto* parameter : processor.getParameters())
        parameter->sendValueChangedMessageToListeners (parameter->getValue());
}

LV2_Handle instantiate (const LV2_Descriptor*, double sampleRate, const char* bundlePath, const LV2_Feature* const* features)
{
    TolvoAudioProcessor::takeLastMade();
    LV2_Handle handle = framework().instantiate (&framework(), sampleRate, bundlePath, features);
    auto* processor = TolvoAudioProcessor::takeLastMade();

    if (handle != nullptr && processor != nullptr)
    {
        registry().add (handle, processor);
        announceValues (*processor);
    }

    return handle;
}

void connectPort (LV2_Handle handle, uint32_t port, void* data) { framework().connect_port (handle, port, data); }

void activate (LV2_Handle handle)
{
    framework().activate (handle);

    if (auto* processor = registry().find (handle))
    {
        processor->restart();
        announceValues (*processor);
    }
}

void run (LV2_Handle handle, uint32_t numFrames) { framework().run (handle, numFrames); }

void deactivate (LV2_Handle handle) { framework().deactivate (handle); }

void cleanup (LV2_Handle handle)
{
    registry().remove (handle);
    framework().cleanup (handle);
}

const void* extensionData (const char* uri) { return framework().extension_data (uri); }
} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor (uint32_t index)
{
    if (juceLv2Descriptor (index) == nullptr)
        return nullptr;

    static const LV2_Descriptor descriptor {
        framework().URI, instantiate, connectPort, activate, run, deactivate, cleanup, extensionData
    };

    return &descriptor;
}
