#include "AAX_VComponentDescriptor.h"

#include "AAX_Errors.h"

AAX_VComponentDescriptor::AAX_VComponentDescriptor (AAX_IACFDescriptionLog* log, int32_t objectID) :
    recorder (log, objectID)
{
}

AAX_Result AAX_VComponentDescriptor::AddAudioIn (AAX_CFieldIndex field)
{
    return recorder.Record ("AddAudioIn", { field });
}

AAX_Result AAX_VComponentDescriptor::AddAudioOut (AAX_CFieldIndex field)
{
    return recorder.Record ("AddAudioOut", { field });
}

AAX_Result AAX_VComponentDescriptor::AddAudioBufferLength (AAX_CFieldIndex field)
{
    return recorder.Record ("AddAudioBufferLength", { field });
}

AAX_Result AAX_VComponentDescriptor::AddSideChainIn (AAX_CFieldIndex field)
{
    return recorder.Record ("AddSideChainIn", { field });
}

AAX_Result AAX_VComponentDescriptor::AddAuxOutputStem (AAX_CFieldIndex field, int32_t stemFormat, const char* name)
{
    return recorder.Record ("AddAuxOutputStem", { field, stemFormat }, name);
}

AAX_Result AAX_VComponentDescriptor::AddMeters (AAX_CFieldIndex field, const AAX_CTypeID* meterIDs, uint32_t meterCount)
{
    if (meterIDs == nullptr && meterCount > 0)
        return AAX_ERROR_NULL_OBJECT;

    return recorder.Record ("AddMeters", { field, meterCount });
}

AAX_Result AAX_VComponentDescriptor::AddDataInPort (AAX_CFieldIndex field, uint32_t packetSize, AAX_EDataInPortType portType)
{
    return recorder.Record ("AddDataInPort", { field, packetSize, portType });
}

AAX_Result AAX_VComponentDescriptor::AddPrivateData (AAX_CFieldIndex field, int32_t dataSize, uint32_t options)
{
    return recorder.Record ("AddPrivateData", { field, dataSize, options });
}

AAX_IPropertyMap* AAX_VComponentDescriptor::NewPropertyMap()
{
    const auto mapID = recorder.NewObject (AAX_eDescriptionObject_PropertyMap);

    if (mapID == 0)
        return nullptr;

    recorder.Record ("NewPropertyMap", { mapID });
    propertyMaps.push_back (std::make_unique<AAX_VPropertyMap> (recorder.Log(), mapID));
    return propertyMaps.back().get();
}

AAX_Result AAX_VComponentDescriptor::AddProcessProc_Native (AAX_CProcessProc processProc, AAX_IPropertyMap* properties)
{
    auto* map = dynamic_cast<AAX_VPropertyMap*> (properties);

    if (processProc == nullptr || (properties != nullptr && map == nullptr))
        return AAX_ERROR_NULL_OBJECT;

    return recorder.Record ("AddProcessProc_Native", { map != nullptr ? map->ID() : 0 },
                            nullptr, reinterpret_cast<const void*> (processProc));
}
