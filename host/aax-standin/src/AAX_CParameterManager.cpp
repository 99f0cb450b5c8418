#include "AAX_CParameterManager.h"

#include <algorithm>
#include <cstring>

namespace
{
bool sameID (const AAX_IParameter& parameter, AAX_CParamID identifier)
{
    return identifier != nullptr && std::strcmp (parameter.Identifier(), identifier) == 0;
}
} // namespace

AAX_CParameterManager::~AAX_CParameterManager()
{
    RemoveAllParameters();
}

void AAX_CParameterManager::Initialize (AAX_IAutomationDelegate* automationDelegate)
{
    automation = automationDelegate;
}

int32_t AAX_CParameterManager::NumParameters() const
{
    return static_cast<int32_t> (parameters.size());
}

void AAX_CParameterManager::AddParameter (AAX_IParameter* parameter)
{
    if (parameter == nullptr)
        return;

    RemoveParameterByID (parameter->Identifier());
    parameters.emplace_back (parameter);
    parameter->SetAutomationDelegate (automation);
}

void AAX_CParameterManager::RemoveParameterByID (AAX_CParamID identifier)
{
    auto found = std::find_if (parameters.begin(), parameters.end(),
                               [identifier] (const auto& p)
                               { return sameID (*p, identifier); });

    if (found != parameters.end())
    {
        (*found)->SetAutomationDelegate (nullptr);
        parameters.erase (found);
    }
}

void AAX_CParameterManager::RemoveAllParameters()
{
    for (auto& parameter : parameters)
        parameter->SetAutomationDelegate (nullptr);

    parameters.clear();
}

AAX_IParameter* AAX_CParameterManager::GetParameterByID (AAX_CParamID identifier)
{
    return GetParameter (GetParameterIndex (identifier));
}

const AAX_IParameter* AAX_CParameterManager::GetParameterByID (AAX_CParamID identifier) const
{
    return GetParameter (GetParameterIndex (identifier));
}

AAX_IParameter* AAX_CParameterManager::GetParameter (int32_t index)
{
    return index >= 0 && index < NumParameters() ? parameters[static_cast<size_t> (index)].get() : nullptr;
}

const AAX_IParameter* AAX_CParameterManager::GetParameter (int32_t index) const
{
    return index >= 0 && index < NumParameters() ? parameters[static_cast<size_t> (index)].get() : nullptr;
}

int32_t AAX_CParameterManager::GetParameterIndex (AAX_CParamID identifier) const
{
    for (size_t i = 0; i < parameters.size(); ++i)
        if (sameID (*parameters[i], identifier))
            return static_cast<int32_t> (i);

    return -1;
}
