#include "AAX_VViewContainer.h"

#include "AAX_Errors.h"

AAX_VViewContainer::AAX_VViewContainer (IACFUnknown* host)
{
    void* found = nullptr;

    if (host != nullptr && host->QueryInterface (IID_IAAXViewContainerV1, &found) == ACF_OK)
        container = static_cast<AAX_IACFViewContainer*> (found);
}

AAX_VViewContainer::~AAX_VViewContainer()
{
    if (container != nullptr)
        container->Release();
}

int32_t AAX_VViewContainer::GetType()
{
    return container != nullptr ? container->GetType() : AAX_eViewContainer_Type_NULL;
}

void* AAX_VViewContainer::GetPtr()
{
    return container != nullptr ? container->GetPtr() : nullptr;
}

AAX_Result AAX_VViewContainer::GetModifiers (uint32_t* modifiers)
{
    if (container == nullptr || modifiers == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    return container->GetModifiers (modifiers);
}

AAX_Result AAX_VViewContainer::SetViewSize (AAX_Point& size)
{
    return container != nullptr ? container->SetViewSize (size.vert, size.horz) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VViewContainer::HandleParameterMouseDown (AAX_CParamID parameterID, uint32_t modifiers)
{
    return container != nullptr ? container->HandleParameterMouseDown (parameterID, modifiers) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VViewContainer::HandleParameterMouseDrag (AAX_CParamID parameterID, uint32_t modifiers)
{
    return container != nullptr ? container->HandleParameterMouseDrag (parameterID, modifiers) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VViewContainer::HandleParameterMouseUp (AAX_CParamID parameterID, uint32_t modifiers)
{
    return container != nullptr ? container->HandleParameterMouseUp (parameterID, modifiers) : AAX_ERROR_NULL_OBJECT;
}
