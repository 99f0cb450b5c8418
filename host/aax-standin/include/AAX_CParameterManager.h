// Stand-in AAX layer: the effect-parameters object's list of parameters, which it owns.
#pragma once

#include <memory>
#include <vector>

#include "AAX_IParameter.h"

class AAX_CParameterManager
{
public:
    AAX_CParameterManager() = default;
    ~AAX_CParameterManager();

    AAX_CParameterManager (const AAX_CParameterManager&) = delete;
    AAX_CParameterManager& operator= (const AAX_CParameterManager&) = delete;

    void Initialize (AAX_IAutomationDelegate* automationDelegate);

    int32_t NumParameters() const;
    // Takes ownership; registers the parameter with the host's automation.
    void AddParameter (AAX_IParameter* parameter);
    void RemoveParameterByID (AAX_CParamID identifier);
    void RemoveAllParameters();

    AAX_IParameter* GetParameterByID (AAX_CParamID identifier);
    const AAX_IParameter* GetParameterByID (AAX_CParamID identifier) const;
    AAX_IParameter* GetParameter (int32_t index);
    const AAX_IParameter* GetParameter (int32_t index) const;
    int32_t GetParameterIndex (AAX_CParamID identifier) const;

private:
    AAX_IAutomationDelegate* automation = nullptr;
    std::vector<std::unique_ptr<AAX_IParameter>> parameters;
};
