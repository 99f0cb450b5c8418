// What the host learned from one ACFRegisterPlugin call, rebuilt from the recorded calls.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct PluginDescription
{
    struct Field
    {
        int32_t index = 0;
        std::string kind; // "audio input", "audio output", "audio buffer length", "data-in port", "private data", ...
        int64_t size = -1; // bytes, where the call gives one
        int64_t portType = -1; // data-in ports only
    };

    struct Component
    {
        int32_t objectID = 0;
        int32_t inputStemFormat = 0;
        int32_t outputStemFormat = 0;
        std::vector<Field> fields;
        std::vector<std::pair<int32_t, int32_t>> properties; // in the order set
        const void* processProc = nullptr;
        bool added = false;

        bool findProperty (int32_t id, int32_t& value) const
        {
            for (const auto& p : properties)
                if (p.first == id)
                {
                    value = p.second;
                    return true;
                }
            return false;
        }
    };

    struct Effect
    {
        int32_t objectID = 0;
        std::string identifier;
        std::vector<std::string> names;
        std::vector<uint32_t> categories;
        std::vector<std::pair<int32_t, const void*>> procPtrs;
        std::vector<Component> components; // in the order added

        const void* procPtr (int32_t id) const
        {
            for (const auto& p : procPtrs)
                if (p.first == id)
                    return p.second;
            return nullptr;
        }
    };

    std::vector<Effect> effects;
    std::string manufacturer;
    std::vector<std::string> packageNames;
    uint32_t packageVersion = 0;
};
