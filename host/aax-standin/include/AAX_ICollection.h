// Stand-in AAX layer: the collection a plug-in library fills with its effects.
#pragma once

#include "AAX_IDescriptionHost.h"
#include "AAX_IEffectDescriptor.h"

class AAX_ICollection
{
public:
    virtual ~AAX_ICollection() = default;

    virtual AAX_IEffectDescriptor* NewDescriptor() = 0;
    virtual AAX_Result AddEffect (const char* effectID, AAX_IEffectDescriptor* effectDescriptor) = 0;
    virtual AAX_Result SetManufacturerName (const char* manufacturerName) = 0;
    virtual AAX_Result AddPackageName (const char* packageName) = 0;
    virtual AAX_Result SetPackageVersion (uint32_t version) = 0;
    virtual AAX_IPropertyMap* NewPropertyMap() = 0;
    virtual AAX_Result SetProperties (AAX_IPropertyMap* properties) = 0;

    // Null when the host offers no description services.
    virtual AAX_IDescriptionHost* DescriptionHost() = 0;
    virtual const AAX_IDescriptionHost* DescriptionHost() const = 0;
};
