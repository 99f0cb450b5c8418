// One feature as the host describes it; its properties are asked of the host on demand.
#pragma once

#include "AAX_IACFHostInterfaces.h"
#include "AAX_IFeatureInfo.h"

class AAX_VFeatureInfo : public AAX_IFeatureInfo
{
public:
    AAX_VFeatureInfo (AAX_IACFDescriptionHost* host, const AAX_Feature_UID& feature, AAX_ESupportLevel level);

    AAX_Result SupportLevel (AAX_ESupportLevel& level) const override;
    const AAX_IPropertyMap* AcquireProperties() const override;
    const AAX_Feature_UID& ID() const override;

private:
    AAX_IACFDescriptionHost* host;
    AAX_Feature_UID featureID;
    AAX_ESupportLevel supportLevel;
};
