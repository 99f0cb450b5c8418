// A description's property map: keeps its values and records every change.
#pragma once

#include <utility>
#include <vector>

#include "AAX_CDescriptionRecorder.h"
#include "AAX_IPropertyMap.h"

class AAX_VPropertyMap : public AAX_IPropertyMap
{
public:
    AAX_VPropertyMap (AAX_IACFDescriptionLog* log, int32_t objectID);

    AAX_CBoolean GetProperty (AAX_EProperty property, AAX_CPropertyValue* value) const override;
    AAX_Result AddProperty (AAX_EProperty property, AAX_CPropertyValue value) override;
    AAX_Result RemoveProperty (AAX_EProperty property) override;

    int32_t ID() const noexcept { return recorder.ID(); }

private:
    AAX_CDescriptionRecorder recorder;
    std::vector<std::pair<AAX_EProperty, AAX_CPropertyValue>> properties;
};
