#include "AAX_VPropertyMap.h"

#include <algorithm>

AAX_VPropertyMap::AAX_VPropertyMap (AAX_IACFDescriptionLog* log, int32_t objectID) :
    recorder (log, objectID)
{
}

AAX_CBoolean AAX_VPropertyMap::GetProperty (AAX_EProperty property, AAX_CPropertyValue* value) const
{
    for (const auto& entry : properties)
    {
        if (entry.first == property)
        {
            if (value != nullptr)
                *value = entry.second;

            return 1;
        }
    }

    return 0;
}

AAX_Result AAX_VPropertyMap::AddProperty (AAX_EProperty property, AAX_CPropertyValue value)
{
    auto existing = std::find_if (properties.begin(), properties.end(),
                                  [property] (const auto& entry)
                                  { return entry.first == property; });

    if (existing != properties.end())
        existing->second = value;
    else
        properties.emplace_back (property, value);

    return recorder.Record ("AddProperty", { property, value });
}

AAX_Result AAX_VPropertyMap::RemoveProperty (AAX_EProperty property)
{
    properties.erase (std::remove_if (properties.begin(), properties.end(),
                                      [property] (const auto& entry)
                                      { return entry.first == property; }),
                      properties.end());

    return recorder.Record ("RemoveProperty", { property });
}
