// The host's view container: it answers like a host's, records the size the
// view asks for and accepts it. Window-less unless the host gives it a native
// window (an HWND on Windows) for the view to attach to.
#pragma once

#include <utility>
#include <vector>

#include "AAX_IACFHostInterfaces.h"

class HostViewContainer : public AAX_IACFViewContainer
{
public:
    HostViewContainer() = default;
    virtual ~HostViewContainer() = default;
    HostViewContainer (const HostViewContainer&) = delete;
    HostViewContainer& operator= (const HostViewContainer&) = delete;

    ACFRESULT QueryInterface (const acfIID& iid, void** out) override;
    acfUInt32 AddRef() override;
    acfUInt32 Release() override;

    int32_t GetType() override;
    void* GetPtr() override;
    ACFRESULT GetModifiers (uint32_t* modifiers) override;
    ACFRESULT SetViewSize (float vert, float horz) override;
    ACFRESULT HandleParameterMouseDown (AAX_CParamID parameterID, uint32_t modifiers) override;
    ACFRESULT HandleParameterMouseDrag (AAX_CParamID parameterID, uint32_t modifiers) override;
    ACFRESULT HandleParameterMouseUp (AAX_CParamID parameterID, uint32_t modifiers) override;

    std::vector<std::pair<float, float>> sizeRequests; // (vert, horz)
    int references = 0;
    void* nativeView = nullptr;
};
