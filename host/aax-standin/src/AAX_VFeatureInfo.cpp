#include "AAX_VFeatureInfo.h"

#include "AAX_Errors.h"

namespace
{
// Read-only view of one feature's properties in the host.
class FeaturePropertyMap final : public AAX_IPropertyMap
{
public:
    FeaturePropertyMap (AAX_IACFDescriptionHost* descriptionHost, const AAX_Feature_UID& feature) :
        host (descriptionHost), featureID (feature) {}

    AAX_CBoolean GetProperty (AAX_EProperty property, AAX_CPropertyValue* value) const override
    {
        AAX_CPropertyValue found = 0;

        if (! host->FeatureProperty (featureID, property, &found))
            return 0;

        if (value != nullptr)
            *value = found;

        return 1;
    }

    AAX_Result AddProperty (AAX_EProperty, AAX_CPropertyValue) override { return AAX_ERROR_UNIMPLEMENTED; }
    AAX_Result RemoveProperty (AAX_EProperty) override { return AAX_ERROR_UNIMPLEMENTED; }

private:
    AAX_IACFDescriptionHost* host;
    AAX_Feature_UID featureID;
};
} // namespace

AAX_VFeatureInfo::AAX_VFeatureInfo (AAX_IACFDescriptionHost* descriptionHost, const AAX_Feature_UID& feature, AAX_ESupportLevel level) :
    host (descriptionHost), featureID (feature), supportLevel (level)
{
}

AAX_Result AAX_VFeatureInfo::SupportLevel (AAX_ESupportLevel& level) const
{
    level = supportLevel;
    return AAX_SUCCESS;
}

const AAX_IPropertyMap* AAX_VFeatureInfo::AcquireProperties() const
{
    if (supportLevel != AAX_eSupportLevel_ByProperty)
        return nullptr;

    return new FeaturePropertyMap (host, featureID);
}

const AAX_Feature_UID& AAX_VFeatureInfo::ID() const
{
    return featureID;
}
