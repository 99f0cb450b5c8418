#include "AAX_VAutomationDelegate.h"

#include "AAX_Errors.h"

AAX_VAutomationDelegate::AAX_VAutomationDelegate (IACFUnknown* host)
{
    void* found = nullptr;

    if (host != nullptr && host->QueryInterface (IID_IAAXAutomationDelegateV1, &found) == ACF_OK)
        automation = static_cast<AAX_IACFAutomationDelegate*> (found);
}

AAX_VAutomationDelegate::~AAX_VAutomationDelegate()
{
    if (automation != nullptr)
        automation->Release();
}

AAX_Result AAX_VAutomationDelegate::RegisterParameter (AAX_CParamID parameterID)
{
    return automation != nullptr ? automation->RegisterParameter (parameterID) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VAutomationDelegate::UnregisterParameter (AAX_CParamID parameterID)
{
    return automation != nullptr ? automation->UnregisterParameter (parameterID) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VAutomationDelegate::PostSetValueRequest (AAX_CParamID parameterID, double normalizedValue) const
{
    return automation != nullptr ? automation->PostSetValueRequest (parameterID, normalizedValue) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VAutomationDelegate::PostCurrentValue (AAX_CParamID parameterID, double normalizedValue) const
{
    return automation != nullptr ? automation->PostCurrentValue (parameterID, normalizedValue) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VAutomationDelegate::PostTouchRequest (AAX_CParamID parameterID)
{
    return automation != nullptr ? automation->PostTouchRequest (parameterID) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VAutomationDelegate::PostReleaseRequest (AAX_CParamID parameterID)
{
    return automation != nullptr ? automation->PostReleaseRequest (parameterID) : AAX_ERROR_NULL_OBJECT;
}
