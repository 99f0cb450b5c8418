// Stand-in AAX layer: what the host says about one feature.
#pragma once

#include "AAX_IPropertyMap.h"
#include "AAX_UIDs.h"

class AAX_IFeatureInfo
{
public:
    virtual ~AAX_IFeatureInfo() = default;

    virtual AAX_Result SupportLevel (AAX_ESupportLevel& level) const = 0;
    // The caller owns the returned map (null when the feature lists no properties).
    virtual const AAX_IPropertyMap* AcquireProperties() const = 0;
    virtual const AAX_Feature_UID& ID() const = 0;
};
