#include "host/lv2/Lv2InstanceRegistry.h"

#include <algorithm>

void Lv2InstanceRegistry::add (void* handle, TolvoAudioProcessor* processor)
{
    const std::lock_guard<std::mutex> guard (lock);
    entries.emplace_back (handle, processor);
}

void Lv2InstanceRegistry::remove (void* handle)
{
    const std::lock_guard<std::mutex> guard (lock);
    entries.erase (std::remove_if (entries.begin(), entries.end(), [handle] (const auto& e)
                                   { return e.first == handle; }),
                   entries.end());
}

TolvoAudioProcessor* Lv2InstanceRegistry::find (void* handle) const
{
    const std::lock_guard<std::mutex> guard (lock);
    const auto it = std::find_if (entries.begin(), entries.end(), [handle] (const auto& e)
                                  { return e.first == handle; });
    return it != entries.end() ? it->second : nullptr;
}
