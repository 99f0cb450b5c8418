#include "AAX_VEffectDescriptor.h"

#include "AAX_Errors.h"

AAX_VEffectDescriptor::AAX_VEffectDescriptor (AAX_IACFDescriptionLog* log, int32_t objectID) :
    recorder (log, objectID)
{
}

AAX_IComponentDescriptor* AAX_VEffectDescriptor::NewComponentDescriptor()
{
    const auto componentID = recorder.NewObject (AAX_eDescriptionObject_ComponentDescriptor);

    if (componentID == 0)
        return nullptr;

    recorder.Record ("NewComponentDescriptor", { componentID });
    components.push_back (std::make_unique<AAX_VComponentDescriptor> (recorder.Log(), componentID));
    return components.back().get();
}

AAX_Result AAX_VEffectDescriptor::AddComponent (AAX_IComponentDescriptor* component)
{
    auto* ours = dynamic_cast<AAX_VComponentDescriptor*> (component);

    if (ours == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    return recorder.Record ("AddComponent", { ours->ID() });
}

AAX_Result AAX_VEffectDescriptor::AddName (const char* name)
{
    if (name == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    return recorder.Record ("AddName", {}, name);
}

AAX_Result AAX_VEffectDescriptor::AddCategory (uint32_t category)
{
    return recorder.Record ("AddCategory", { category });
}

AAX_Result AAX_VEffectDescriptor::AddProcPtr (void* procPtr, AAX_CProcPtrID procID)
{
    if (procPtr == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    return recorder.Record ("AddProcPtr", { procID }, nullptr, procPtr);
}

AAX_IPropertyMap* AAX_VEffectDescriptor::NewPropertyMap()
{
    const auto mapID = recorder.NewObject (AAX_eDescriptionObject_PropertyMap);

    if (mapID == 0)
        return nullptr;

    recorder.Record ("NewPropertyMap", { mapID });
    propertyMaps.push_back (std::make_unique<AAX_VPropertyMap> (recorder.Log(), mapID));
    return propertyMaps.back().get();
}

AAX_Result AAX_VEffectDescriptor::SetProperties (AAX_IPropertyMap* properties)
{
    auto* map = dynamic_cast<AAX_VPropertyMap*> (properties);

    if (map == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    return recorder.Record ("SetProperties", { map->ID() });
}

AAX_Result AAX_VEffectDescriptor::AddMeterDescription (AAX_CTypeID meterID, const char* meterName, AAX_IPropertyMap* properties)
{
    auto* map = dynamic_cast<AAX_VPropertyMap*> (properties);
    return recorder.Record ("AddMeterDescription", { meterID, map != nullptr ? map->ID() : 0 }, meterName);
}
