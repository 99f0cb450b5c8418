// Stand-in AAX layer: a plug-in's window object, as the host drives it.
#pragma once

#include "AAX_Enums.h"

class AAX_IEffectGUI
{
public:
    virtual ~AAX_IEffectGUI() = default;

    virtual AAX_Result Initialize (IACFUnknown* controller) = 0;
    virtual AAX_Result Uninitialize() = 0;
    virtual AAX_Result NotificationReceived (AAX_CTypeID type, const void* data, uint32_t size) = 0;
    // A container attaches the view; null detaches it.
    virtual AAX_Result SetViewContainer (IACFUnknown* viewContainer) = 0;
    virtual AAX_Result GetViewSize (AAX_Point* viewSize) const = 0;
    virtual AAX_Result ParameterUpdated (AAX_CParamID parameterID) = 0;
    virtual AAX_Result SetControlHighlightInfo (AAX_CParamID parameterID, AAX_CBoolean isHighlighted, AAX_EHighlightColor color) = 0;
};
