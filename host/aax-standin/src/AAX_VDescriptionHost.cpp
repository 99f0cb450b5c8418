#include "AAX_VDescriptionHost.h"

#include "AAX_VFeatureInfo.h"

AAX_VDescriptionHost::AAX_VDescriptionHost (AAX_IACFDescriptionHost* descriptionHost) :
    host (descriptionHost)
{
}

AAX_VDescriptionHost::~AAX_VDescriptionHost()
{
    host->Release();
}

const AAX_IFeatureInfo* AAX_VDescriptionHost::AcquireFeatureProperties (const AAX_Feature_UID& feature) const
{
    const auto level = host->FeatureSupportLevel (feature);

    if (level < 0)
        return nullptr;

    return new AAX_VFeatureInfo (host, feature, static_cast<AAX_ESupportLevel> (level));
}
