#include "AAX_CEffectGUI.h"

#include "AAX_Errors.h"
#include "AAX_LiveObjects.h"
#include "AAX_VController.h"
#include "AAX_VViewContainer.h"

AAX_CEffectGUI::AAX_CEffectGUI()
{
    AAX::AddLiveObject();
}

AAX_CEffectGUI::~AAX_CEffectGUI()
{
    AAX::RemoveLiveObject();
}

AAX_Result AAX_CEffectGUI::Initialize (IACFUnknown* hostController)
{
    auto newController = std::make_unique<AAX_VController> (hostController);

    if (! newController->IsValid() || newController->GetEffectParameters() == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    mController = std::move (newController);
    mEffectParameters = mController->GetEffectParameters();
    CreateViewContents();
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::Uninitialize()
{
    mViewContainer.reset();
    mController.reset();
    mEffectParameters = nullptr;
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::NotificationReceived (AAX_CTypeID, const void*, uint32_t)
{
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::SetViewContainer (IACFUnknown* container)
{
    if (container == nullptr)
    {
        DeleteViewContainer();
        mViewContainer.reset();
        return AAX_SUCCESS;
    }

    auto newContainer = std::make_unique<AAX_VViewContainer> (container);

    if (! newContainer->IsValid())
        return AAX_ERROR_NULL_OBJECT;

    mViewContainer = std::move (newContainer);
    CreateViewContainer();
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::GetViewSize (AAX_Point*) const
{
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_CEffectGUI::ParameterUpdated (AAX_CParamID)
{
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::SetControlHighlightInfo (AAX_CParamID, AAX_CBoolean, AAX_EHighlightColor)
{
    return AAX_SUCCESS;
}

AAX_IViewContainer* AAX_CEffectGUI::GetViewContainer() { return mViewContainer.get(); }
const AAX_IViewContainer* AAX_CEffectGUI::GetViewContainer() const { return mViewContainer.get(); }

AAX_EViewContainer_Type AAX_CEffectGUI::GetViewContainerType()
{
    return mViewContainer != nullptr ? static_cast<AAX_EViewContainer_Type> (mViewContainer->GetType())
                                     : AAX_eViewContainer_Type_NULL;
}

void* AAX_CEffectGUI::GetViewContainerPtr()
{
    return mViewContainer != nullptr ? mViewContainer->GetPtr() : nullptr;
}

AAX_IEffectParameters* AAX_CEffectGUI::GetEffectParameters() { return mEffectParameters; }
const AAX_IEffectParameters* AAX_CEffectGUI::GetEffectParameters() const { return mEffectParameters; }
AAX_IController* AAX_CEffectGUI::GetController() { return mController.get(); }
