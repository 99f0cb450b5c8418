#include "HostViewContainer.h"

#include "AAX_Enums.h"

ACFRESULT HostViewContainer::QueryInterface (const acfIID& iid, void** out)
{
    if (out == nullptr || ! (iid == IID_IAAXViewContainerV1))
        return ACF_E_NOINTERFACE;

    *out = static_cast<AAX_IACFViewContainer*> (this);
    AddRef();
    return ACF_OK;
}

acfUInt32 HostViewContainer::AddRef() { return static_cast<acfUInt32> (++references); }
acfUInt32 HostViewContainer::Release() { return static_cast<acfUInt32> (--references); }

int32_t HostViewContainer::GetType()
{
#if defined(_WIN32)
    if (nativeView != nullptr)
        return AAX_eViewContainer_Type_HWND;
#endif
    return AAX_eViewContainer_Type_NULL;
}

void* HostViewContainer::GetPtr() { return nativeView; }

ACFRESULT HostViewContainer::GetModifiers (uint32_t* modifiers)
{
    if (modifiers != nullptr)
        *modifiers = 0;

    return ACF_OK;
}

ACFRESULT HostViewContainer::SetViewSize (float vert, float horz)
{
    sizeRequests.emplace_back (vert, horz);
    return ACF_OK;
}

ACFRESULT HostViewContainer::HandleParameterMouseDown (AAX_CParamID, uint32_t) { return ACF_OK; }
ACFRESULT HostViewContainer::HandleParameterMouseDrag (AAX_CParamID, uint32_t) { return ACF_OK; }
ACFRESULT HostViewContainer::HandleParameterMouseUp (AAX_CParamID, uint32_t) { return ACF_OK; }
