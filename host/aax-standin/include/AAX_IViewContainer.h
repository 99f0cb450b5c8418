// Stand-in AAX layer: the host's window that holds a plug-in's view.
#pragma once

#include "AAX_Enums.h"

class AAX_IViewContainer
{
public:
    virtual ~AAX_IViewContainer() = default;

    virtual int32_t GetType() = 0;
    virtual void* GetPtr() = 0;
    virtual AAX_Result GetModifiers (uint32_t* modifiers) = 0;
    virtual AAX_Result SetViewSize (AAX_Point& size) = 0;
    virtual AAX_Result HandleParameterMouseDown (AAX_CParamID parameterID, uint32_t modifiers) = 0;
    virtual AAX_Result HandleParameterMouseDrag (AAX_CParamID parameterID, uint32_t modifiers) = 0;
    virtual AAX_Result HandleParameterMouseUp (AAX_CParamID parameterID, uint32_t modifiers) = 0;
};
