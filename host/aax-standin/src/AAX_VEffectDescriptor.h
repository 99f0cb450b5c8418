// The description of one effect; records every call and owns what it creates.
#pragma once

#include <memory>
#include <vector>

#include "AAX_IEffectDescriptor.h"
#include "AAX_VComponentDescriptor.h"

class AAX_VEffectDescriptor : public AAX_IEffectDescriptor
{
public:
    AAX_VEffectDescriptor (AAX_IACFDescriptionLog* log, int32_t objectID);

    AAX_IComponentDescriptor* NewComponentDescriptor() override;
    AAX_Result AddComponent (AAX_IComponentDescriptor* component) override;
    AAX_Result AddName (const char* name) override;
    AAX_Result AddCategory (uint32_t category) override;
    AAX_Result AddProcPtr (void* procPtr, AAX_CProcPtrID procID) override;
    AAX_IPropertyMap* NewPropertyMap() override;
    AAX_Result SetProperties (AAX_IPropertyMap* properties) override;
    AAX_Result AddMeterDescription (AAX_CTypeID meterID, const char* meterName, AAX_IPropertyMap* properties) override;

    int32_t ID() const noexcept { return recorder.ID(); }

private:
    AAX_CDescriptionRecorder recorder;
    std::vector<std::unique_ptr<AAX_VComponentDescriptor>> components;
    std::vector<std::unique_ptr<AAX_VPropertyMap>> propertyMaps;
};
