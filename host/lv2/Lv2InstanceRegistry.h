#pragma once

#include <mutex>
#include <utility>
#include <vector>

class TolvoAudioProcessor;

// Which processor stands behind each LV2 handle the framework gave the host.
// Used from the host's instantiation threads only, never from run().
class Lv2InstanceRegistry
{
public:
    // Remembers the processor behind a handle.
    void add (void* handle, TolvoAudioProcessor* processor);

    // Forgets a handle.
    void remove (void* handle);

    // The processor behind a handle, or null.
    TolvoAudioProcessor* find (void* handle) const;

private:
    mutable std::mutex lock;
    std::vector<std::pair<void*, TolvoAudioProcessor*>> entries;
};
