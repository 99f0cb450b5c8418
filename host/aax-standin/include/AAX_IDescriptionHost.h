// Stand-in AAX layer: the host's services while a plug-in describes itself.
#pragma once

#include "AAX_IFeatureInfo.h"

class AAX_IDescriptionHost
{
public:
    virtual ~AAX_IDescriptionHost() = default;

    // The caller owns the returned object; null when the host says nothing about the feature.
    virtual const AAX_IFeatureInfo* AcquireFeatureProperties (const AAX_Feature_UID& feature) const = 0;
};
