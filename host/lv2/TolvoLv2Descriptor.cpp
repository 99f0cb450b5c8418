// The DSP binary's entry point: the stereo plug-in under the URI saved
// sessions know, and the mono one beside it.

#include "host/lv2/TolvoLv2Plugin.h"
#include "host/lv2/TolvoLv2Uris.h"

#include <lv2/core/lv2.h>

#include <iterator>
#include <new>

namespace
{
template <int numChannels>
LV2_Handle instantiate (const LV2_Descriptor*, double sampleRate, const char*, const LV2_Feature* const*)
{
    try
    {
        return new TolvoLv2Plugin (sampleRate, numChannels);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

TolvoLv2Plugin& plugin (LV2_Handle handle) { return *static_cast<TolvoLv2Plugin*> (handle); }

void connectPort (LV2_Handle handle, uint32_t port, void* data) { plugin (handle).connectPort (port, data); }
void activate (LV2_Handle handle) { plugin (handle).activate(); }
void run (LV2_Handle handle, uint32_t numFrames) { plugin (handle).run (numFrames); }
void deactivate (LV2_Handle handle) { plugin (handle).deactivate(); }
void cleanup (LV2_Handle handle) { delete static_cast<TolvoLv2Plugin*> (handle); }
const void* extensionData (const char*) { return nullptr; }

const LV2_Descriptor descriptors[] {
    { TolvoLv2Uris::stereo, instantiate<2>, connectPort, activate, run, deactivate, cleanup, extensionData },
    { TolvoLv2Uris::mono, instantiate<1>, connectPort, activate, run, deactivate, cleanup, extensionData },
};
} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor (uint32_t index)
{
    return index < std::size (descriptors) ? &descriptors[index] : nullptr;
}
