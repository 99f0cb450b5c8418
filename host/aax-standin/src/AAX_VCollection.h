// The collection ACFRegisterPlugin hands to the plug-in's description routine.
// Every call goes to the host's description log (object 0), which is also the
// plug-in definition the host gets back.
#pragma once

#include <memory>
#include <vector>

#include "AAX_ICollection.h"
#include "AAX_VDescriptionHost.h"
#include "AAX_VEffectDescriptor.h"

class AAX_VCollection : public AAX_ICollection
{
public:
    explicit AAX_VCollection (IACFUnknown* host);
    ~AAX_VCollection() override;

    AAX_VCollection (const AAX_VCollection&) = delete;
    AAX_VCollection& operator= (const AAX_VCollection&) = delete;

    AAX_IEffectDescriptor* NewDescriptor() override;
    AAX_Result AddEffect (const char* effectID, AAX_IEffectDescriptor* effectDescriptor) override;
    AAX_Result SetManufacturerName (const char* manufacturerName) override;
    AAX_Result AddPackageName (const char* packageName) override;
    AAX_Result SetPackageVersion (uint32_t version) override;
    AAX_IPropertyMap* NewPropertyMap() override;
    AAX_Result SetProperties (AAX_IPropertyMap* properties) override;
    AAX_IDescriptionHost* DescriptionHost() override;
    const AAX_IDescriptionHost* DescriptionHost() const override;

    // The host's object that holds the definition; null when the host gave no log.
    IACFUnknown* GetIUnknown() const;

private:
    AAX_IACFDescriptionLog* log = nullptr;
    AAX_CDescriptionRecorder recorder;
    std::unique_ptr<AAX_VDescriptionHost> descriptionHost;
    std::vector<std::unique_ptr<AAX_VEffectDescriptor>> effects;
    std::vector<std::unique_ptr<AAX_VPropertyMap>> propertyMaps;
};
