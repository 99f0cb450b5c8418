#pragma once

#include <lilv/lilv.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

// A minimal LV2 host on lilv: the world with the system's plug-ins and any
// extra bundles, a URID map, and the features and options that limiters ask
// for (fixed block length, sample rate).
class LilvHost
{
public:
    // Loads every installed plug-in plus the bundles given (directories ending in '/').
    LilvHost (const std::vector<std::string>& extraBundles, int blockSize);
    ~LilvHost();

    LilvHost (const LilvHost&) = delete;
    LilvHost& operator= (const LilvHost&) = delete;

    // The plug-in with this URI, or nullptr when none is installed.
    const LilvPlugin* findPlugin (const std::string& uri) const;

    // The URID of a URI, the same one every plug-in sees.
    LV2_URID map (const char* uri);

    // The null-terminated feature list for an instance at `sampleRate`.
    const LV2_Feature* const* featuresFor (double sampleRate);

    // The lilv world, for port queries.
    LilvWorld* getWorld() const { return world; }

private:
    static LV2_URID mapCallback (LV2_URID_Map_Handle handle, const char* uri);
    static const char* unmapCallback (LV2_URID_Unmap_Handle handle, LV2_URID urid);

    LilvWorld* world = nullptr;
    std::mutex mapLock;
    std::map<std::string, LV2_URID> ids;
    std::vector<std::string> uris;

    LV2_URID_Map mapData {};
    LV2_URID_Unmap unmapData {};
    int32_t blockLength;
    float rate = 0.0f;
    std::vector<LV2_Options_Option> options;
    LV2_Feature mapFeature {}, unmapFeature {}, optionsFeature {}, boundedFeature {}, fixedFeature {};
    std::vector<const LV2_Feature*> features;
};
