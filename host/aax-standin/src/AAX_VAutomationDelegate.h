// The host's automation for one instance.
#pragma once

#include "AAX_IACFHostInterfaces.h"
#include "AAX_IAutomationDelegate.h"

class AAX_VAutomationDelegate : public AAX_IAutomationDelegate
{
public:
    explicit AAX_VAutomationDelegate (IACFUnknown* host);
    ~AAX_VAutomationDelegate() override;

    AAX_VAutomationDelegate (const AAX_VAutomationDelegate&) = delete;
    AAX_VAutomationDelegate& operator= (const AAX_VAutomationDelegate&) = delete;

    bool IsValid() const noexcept { return automation != nullptr; }

    AAX_Result RegisterParameter (AAX_CParamID parameterID) override;
    AAX_Result UnregisterParameter (AAX_CParamID parameterID) override;
    AAX_Result PostSetValueRequest (AAX_CParamID parameterID, double normalizedValue) const override;
    AAX_Result PostCurrentValue (AAX_CParamID parameterID, double normalizedValue) const override;
    AAX_Result PostTouchRequest (AAX_CParamID parameterID) override;
    AAX_Result PostReleaseRequest (AAX_CParamID parameterID) override;

private:
    AAX_IACFAutomationDelegate* automation = nullptr;
};
