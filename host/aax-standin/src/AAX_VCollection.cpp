#include "AAX_VCollection.h"

#include "AAX_Errors.h"

namespace
{
AAX_IACFDescriptionLog* findLog (IACFUnknown* host)
{
    void* found = nullptr;

    if (host != nullptr && host->QueryInterface (IID_IAAXDescriptionLogV1, &found) == ACF_OK)
        return static_cast<AAX_IACFDescriptionLog*> (found);

    return nullptr;
}
} // namespace

AAX_VCollection::AAX_VCollection (IACFUnknown* host) :
    log (findLog (host)),
    recorder (log, 0)
{
    void* found = nullptr;

    if (host != nullptr && host->QueryInterface (IID_IAAXDescriptionHostV1, &found) == ACF_OK && found != nullptr)
        descriptionHost = std::make_unique<AAX_VDescriptionHost> (static_cast<AAX_IACFDescriptionHost*> (found));
}

AAX_VCollection::~AAX_VCollection()
{
    effects.clear();
    propertyMaps.clear();

    if (log != nullptr)
        log->Release();
}

AAX_IEffectDescriptor* AAX_VCollection::NewDescriptor()
{
    const auto effectID = recorder.NewObject (AAX_eDescriptionObject_EffectDescriptor);

    if (effectID == 0)
        return nullptr;

    recorder.Record ("NewDescriptor", { effectID });
    effects.push_back (std::make_unique<AAX_VEffectDescriptor> (log, effectID));
    return effects.back().get();
}

AAX_Result AAX_VCollection::AddEffect (const char* effectID, AAX_IEffectDescriptor* effectDescriptor)
{
    auto* ours = dynamic_cast<AAX_VEffectDescriptor*> (effectDescriptor);

    if (ours == nullptr || effectID == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    return recorder.Record ("AddEffect", { ours->ID() }, effectID);
}

AAX_Result AAX_VCollection::SetManufacturerName (const char* manufacturerName)
{
    if (manufacturerName == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    return recorder.Record ("SetManufacturerName", {}, manufacturerName);
}

AAX_Result AAX_VCollection::AddPackageName (const char* packageName)
{
    if (packageName == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    return recorder.Record ("AddPackageName", {}, packageName);
}

AAX_Result AAX_VCollection::SetPackageVersion (uint32_t version)
{
    return recorder.Record ("SetPackageVersion", { version });
}

AAX_IPropertyMap* AAX_VCollection::NewPropertyMap()
{
    const auto mapID = recorder.NewObject (AAX_eDescriptionObject_PropertyMap);

    if (mapID == 0)
        return nullptr;

    recorder.Record ("NewPropertyMap", { mapID });
    propertyMaps.push_back (std::make_unique<AAX_VPropertyMap> (log, mapID));
    return propertyMaps.back().get();
}

AAX_Result AAX_VCollection::SetProperties (AAX_IPropertyMap* properties)
{
    auto* map = dynamic_cast<AAX_VPropertyMap*> (properties);

    if (map == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    return recorder.Record ("SetProperties", { map->ID() });
}

AAX_IDescriptionHost* AAX_VCollection::DescriptionHost() { return descriptionHost.get(); }
const AAX_IDescriptionHost* AAX_VCollection::DescriptionHost() const { return descriptionHost.get(); }

IACFUnknown* AAX_VCollection::GetIUnknown() const
{
    return log;
}
