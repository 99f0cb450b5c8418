// Stand-in AAX layer: the host's automation system as a plug-in sees it.
#pragma once

#include "AAX.h"

class AAX_IAutomationDelegate
{
public:
    virtual ~AAX_IAutomationDelegate() = default;

    virtual AAX_Result RegisterParameter (AAX_CParamID parameterID) = 0;
    virtual AAX_Result UnregisterParameter (AAX_CParamID parameterID) = 0;
    virtual AAX_Result PostSetValueRequest (AAX_CParamID parameterID, double normalizedValue) const = 0;
    virtual AAX_Result PostCurrentValue (AAX_CParamID parameterID, double normalizedValue) const = 0;
    virtual AAX_Result PostTouchRequest (AAX_CParamID parameterID) = 0;
    virtual AAX_Result PostReleaseRequest (AAX_CParamID parameterID) = 0;
};
