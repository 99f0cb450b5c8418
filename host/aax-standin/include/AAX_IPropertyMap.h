// Stand-in AAX layer: a map of numbered properties.
#pragma once

#include "AAX_Enums.h"

class AAX_IPropertyMap
{
public:
    virtual ~AAX_IPropertyMap() = default;

    virtual AAX_CBoolean GetProperty (AAX_EProperty property, AAX_CPropertyValue* value) const = 0;
    virtual AAX_Result AddProperty (AAX_EProperty property, AAX_CPropertyValue value) = 0;
    virtual AAX_Result RemoveProperty (AAX_EProperty property) = 0;
};
