// The host's view container for one GUI object.
#pragma once

#include "AAX_IACFHostInterfaces.h"
#include "AAX_IViewContainer.h"

class AAX_VViewContainer : public AAX_IViewContainer
{
public:
    explicit AAX_VViewContainer (IACFUnknown* host);
    ~AAX_VViewContainer() override;

    AAX_VViewContainer (const AAX_VViewContainer&) = delete;
    AAX_VViewContainer& operator= (const AAX_VViewContainer&) = delete;

    bool IsValid() const noexcept { return container != nullptr; }

    int32_t GetType() override;
    void* GetPtr() override;
    AAX_Result GetModifiers (uint32_t* modifiers) override;
    AAX_Result SetViewSize (AAX_Point& size) override;
    AAX_Result HandleParameterMouseDown (AAX_CParamID parameterID, uint32_t modifiers) override;
    AAX_Result HandleParameterMouseDrag (AAX_CParamID parameterID, uint32_t modifiers) override;
    AAX_Result HandleParameterMouseUp (AAX_CParamID parameterID, uint32_t modifiers) override;

private:
    AAX_IACFViewContainer* container = nullptr;
};
