#include "LilvHost.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/parameters/parameters.h>

LilvHost::LilvHost (const std::vector<std::string>& extraBundles, int blockSize) :
    world (lilv_world_new()), blockLength (blockSize)
{
    lilv_world_load_all (world);

    for (const auto& bundle : extraBundles)
    {
        LilvNode* uri = lilv_new_file_uri (world, nullptr, bundle.c_str());
        lilv_world_load_bundle (world, uri);
        lilv_node_free (uri);
    }

    mapData = { this, &LilvHost::mapCallback };
    unmapData = { this, &LilvHost::unmapCallback };
    mapFeature = { LV2_URID__map, &mapData };
    unmapFeature = { LV2_URID__unmap, &unmapData };
}

LilvHost::~LilvHost()
{
    lilv_world_free (world);
}

const LilvPlugin* LilvHost::findPlugin (const std::string& uri) const
{
    LilvNode* node = lilv_new_uri (world, uri.c_str());
    const LilvPlugin* plugin = lilv_plugins_get_by_uri (lilv_world_get_all_plugins (world), node);
    lilv_node_free (node);
    return plugin;
}

LV2_URID LilvHost::map (const char* uri)
{
    const std::lock_guard<std::mutex> lock (mapLock);
    const auto found = ids.find (uri);

    if (found != ids.end())
        return found->second;

    uris.emplace_back (uri);
    const auto id = (LV2_URID) uris.size();
    ids.emplace (uri, id);
    return id;
}

LV2_URID LilvHost::mapCallback (LV2_URID_Map_Handle handle, const char* uri)
{
    return static_cast<LilvHost*> (handle)->map (uri);
}

const char* LilvHost::unmapCallback (LV2_URID_Unmap_Handle handle, LV2_URID urid)
{
    auto& host = *static_cast<LilvHost*> (handle);
    const std::lock_guard<std::mutex> lock (host.mapLock);
    return urid >= 1 && urid <= host.uris.size() ? host.uris[urid - 1].c_str() : nullptr;
}

const LV2_Feature* const* LilvHost::featuresFor (double sampleRate)
{
    rate = (float) sampleRate;
    const LV2_URID intType = map (LV2_ATOM__Int);
    const LV2_URID floatType = map (LV2_ATOM__Float);

    options = {
        { LV2_OPTIONS_INSTANCE, 0, map (LV2_BUF_SIZE__maxBlockLength), sizeof (int32_t), intType, &blockLength },
        { LV2_OPTIONS_INSTANCE, 0, map (LV2_BUF_SIZE__minBlockLength), sizeof (int32_t), intType, &blockLength },
        { LV2_OPTIONS_INSTANCE, 0, map (LV2_BUF_SIZE__nominalBlockLength), sizeof (int32_t), intType, &blockLength },
        { LV2_OPTIONS_INSTANCE, 0, map (LV2_PARAMETERS__sampleRate), sizeof (float), floatType, &rate },
        { LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr },
    };

    optionsFeature = { LV2_OPTIONS__options, options.data() };
    boundedFeature = { LV2_BUF_SIZE__boundedBlockLength, nullptr };
    fixedFeature = { LV2_BUF_SIZE__fixedBlockLength, nullptr };
    features = { &mapFeature, &unmapFeature, &optionsFeature, &boundedFeature, &fixedFeature, nullptr };
    return features.data();
}
