// The host's description services, as the plug-in's description routine sees them.
#pragma once

#include "AAX_IACFHostInterfaces.h"
#include "AAX_IDescriptionHost.h"

class AAX_VDescriptionHost : public AAX_IDescriptionHost
{
public:
    explicit AAX_VDescriptionHost (AAX_IACFDescriptionHost* host);
    ~AAX_VDescriptionHost() override;

    AAX_VDescriptionHost (const AAX_VDescriptionHost&) = delete;
    AAX_VDescriptionHost& operator= (const AAX_VDescriptionHost&) = delete;

    const AAX_IFeatureInfo* AcquireFeatureProperties (const AAX_Feature_UID& feature) const override;

private:
    AAX_IACFDescriptionHost* host;
};
