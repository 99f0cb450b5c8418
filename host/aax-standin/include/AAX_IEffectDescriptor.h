// Stand-in AAX layer: the description of one effect.
#pragma once

#include "AAX_IComponentDescriptor.h"

class AAX_IEffectDescriptor
{
public:
    virtual ~AAX_IEffectDescriptor() = default;

    virtual AAX_IComponentDescriptor* NewComponentDescriptor() = 0;
    virtual AAX_Result AddComponent (AAX_IComponentDescriptor* component) = 0;
    virtual AAX_Result AddName (const char* name) = 0;
    virtual AAX_Result AddCategory (uint32_t category) = 0;
    virtual AAX_Result AddProcPtr (void* procPtr, AAX_CProcPtrID procID) = 0;
    virtual AAX_IPropertyMap* NewPropertyMap() = 0;
    virtual AAX_Result SetProperties (AAX_IPropertyMap* properties) = 0;
    virtual AAX_Result AddMeterDescription (AAX_CTypeID meterID, const char* meterName, AAX_IPropertyMap* properties) = 0;
};
