// Stand-in AAX layer: the base of a plug-in's effect-parameters object. It keeps the
// AAX parameters, talks to the host's controller and automation, sends packets and
// offers the controls chunk 'elck' ("Complete Controls State") at index 0.
#pragma once

#include <memory>

#include "AAX_CChunkDataParser.h"
#include "AAX_Errors.h"
#include "AAX_CPacketDispatcher.h"
#include "AAX_CParameter.h"
#include "AAX_CParameterManager.h"
#include "AAX_IController.h"
#include "AAX_IEffectParameters.h"
#include "AAX_ITransport.h"

constexpr AAX_CParamID cDefaultMasterBypassID = "MasterBypassID";
constexpr AAX_CTypeID  cControlsChunkID       = 0x656C636B; // 'elck'
constexpr const char*  cControlsChunkName     = "Complete Controls State";

class AAX_VController;
class AAX_VAutomationDelegate;
class AAX_VTransport;

class AAX_CEffectParameters : public AAX_IEffectParameters
{
public:
    AAX_CEffectParameters();
    ~AAX_CEffectParameters() override;

    AAX_CEffectParameters (const AAX_CEffectParameters&) = delete;
    AAX_CEffectParameters& operator= (const AAX_CEffectParameters&) = delete;

    AAX_Result Initialize (IACFUnknown* controller) override;
    AAX_Result Uninitialize() override;
    AAX_Result NotificationReceived (AAX_CTypeID type, const void* data, uint32_t size) override;

    AAX_Result GetNumberOfParameters (int32_t* numParameters) const override;
    AAX_Result GetMasterBypassParameter (AAX_IString* parameterID) const override;
    AAX_Result GetParameterIDFromIndex (int32_t index, AAX_IString* parameterID) const override;
    AAX_Result GetParameterIndex (AAX_CParamID parameterID, int32_t* index) const override;
    AAX_Result GetParameterIsAutomatable (AAX_CParamID parameterID, AAX_CBoolean* automatable) const override;
    AAX_Result GetParameterNumberOfSteps (AAX_CParamID parameterID, int32_t* numSteps) const override;
    AAX_Result GetParameterName (AAX_CParamID parameterID, AAX_IString* name) const override;
    AAX_Result GetParameterNameOfLength (AAX_CParamID parameterID, AAX_IString* name, int32_t length) const override;
    AAX_Result GetParameterDefaultNormalizedValue (AAX_CParamID parameterID, double* value) const override;
    AAX_Result GetParameterType (AAX_CParamID parameterID, AAX_EParameterType* type) const override;
    AAX_Result GetParameterOrientation (AAX_CParamID parameterID, AAX_EParameterOrientation* orientation) const override;
    AAX_Result GetParameterValueString (AAX_CParamID parameterID, AAX_IString* valueString, int32_t maxLength) const override;
    AAX_Result GetParameterStringFromValue (AAX_CParamID parameterID, double value, AAX_IString* valueString, int32_t maxLength) const override;
    AAX_Result GetParameterValueFromString (AAX_CParamID parameterID, double* value, const AAX_IString& valueString) const override;
    AAX_Result GetParameterNormalizedValue (AAX_CParamID parameterID, double* value) const override;
    AAX_Result SetParameterNormalizedValue (AAX_CParamID parameterID, double value) override;
    AAX_Result SetParameterNormalizedRelative (AAX_CParamID parameterID, double delta) override;

    AAX_Result TouchParameter (AAX_CParamID parameterID) override;
    AAX_Result ReleaseParameter (AAX_CParamID parameterID) override;
    AAX_Result UpdateParameterNormalizedValue (AAX_CParamID parameterID, double value, AAX_EUpdateSource source) override;
    AAX_Result GenerateCoefficients() override;

    AAX_Result ResetFieldData (AAX_CFieldIndex field, void* data, uint32_t dataSize) const override;

    AAX_Result GetNumberOfChunks (int32_t* numChunks) const override;
    AAX_Result GetChunkIDFromIndex (int32_t index, AAX_CTypeID* chunkID) const override;
    AAX_Result GetChunkSize (AAX_CTypeID chunkID, uint32_t* size) const override;
    AAX_Result GetChunk (AAX_CTypeID chunkID, AAX_SPlugInChunk* chunk) const override;
    AAX_Result SetChunk (AAX_CTypeID chunkID, const AAX_SPlugInChunk* chunk) override;
    AAX_Result GetNumberOfChanges (int32_t* numChanges) const override;

    AAX_Result GetCurveData (AAX_CTypeID curveType, const float* values, uint32_t numValues, float* outValues) const override;
    AAX_Result GetCurveDataMeterIds (AAX_CTypeID curveType, uint32_t* xMeterID, uint32_t* yMeterID) const override;
    AAX_Result GetCurveDataDisplayRange (AAX_CTypeID curveType, float* xMin, float* xMax, float* yMin, float* yMax) const override;

    AAX_IController* Controller();
    const AAX_IController* Controller() const;
    AAX_ITransport* Transport();
    const AAX_ITransport* Transport() const;

protected:
    // Called by Initialize once the host's services are connected.
    virtual AAX_Result EffectInit();

    AAX_CParameterManager mParameterManager;
    AAX_CPacketDispatcher mPacketDispatcher;
    int32_t mNumPlugInChanges = 0;

private:
    void BuildControlsChunk() const;

    std::unique_ptr<AAX_VController> mController;
    std::unique_ptr<AAX_VAutomationDelegate> mAutomationDelegate;
    std::unique_ptr<AAX_VTransport> mTransport;

    mutable AAX_CChunkDataParser mControlsChunk;
    mutable uint32_t mLastReportedControlsChunkSize = 0;
};
