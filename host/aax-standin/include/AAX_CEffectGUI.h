// Stand-in AAX layer: the base of a plug-in's window object. Initialize connects the
// host's controller and the instance's effect parameters and creates the view contents.
#pragma once

#include <memory>

#include "AAX_Errors.h"
#include "AAX_IController.h"
#include "AAX_IEffectGUI.h"
#include "AAX_IEffectParameters.h"
#include "AAX_IViewContainer.h"

class AAX_VController;
class AAX_VViewContainer;

class AAX_CEffectGUI : public AAX_IEffectGUI
{
public:
    AAX_CEffectGUI();
    ~AAX_CEffectGUI() override;

    AAX_CEffectGUI (const AAX_CEffectGUI&) = delete;
    AAX_CEffectGUI& operator= (const AAX_CEffectGUI&) = delete;

    AAX_Result Initialize (IACFUnknown* controller) override;
    AAX_Result Uninitialize() override;
    AAX_Result NotificationReceived (AAX_CTypeID type, const void* data, uint32_t size) override;
    AAX_Result SetViewContainer (IACFUnknown* viewContainer) override;
    AAX_Result GetViewSize (AAX_Point* viewSize) const override;
    AAX_Result ParameterUpdated (AAX_CParamID parameterID) override;
    AAX_Result SetControlHighlightInfo (AAX_CParamID parameterID, AAX_CBoolean isHighlighted, AAX_EHighlightColor color) override;

protected:
    virtual void CreateViewContents() = 0;
    virtual void CreateViewContainer() = 0;
    virtual void DeleteViewContainer() = 0;

    AAX_IViewContainer* GetViewContainer();
    const AAX_IViewContainer* GetViewContainer() const;
    AAX_EViewContainer_Type GetViewContainerType();
    void* GetViewContainerPtr();

    AAX_IEffectParameters* GetEffectParameters();
    const AAX_IEffectParameters* GetEffectParameters() const;
    AAX_IController* GetController();

private:
    std::unique_ptr<AAX_VController> mController;
    std::unique_ptr<AAX_VViewContainer> mViewContainer;
    AAX_IEffectParameters* mEffectParameters = nullptr;
};
