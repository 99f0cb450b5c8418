// Stand-in AAX layer: the data model of one plug-in instance, as the host drives it.
#pragma once

#include "AAX_Enums.h"
#include "AAX_IString.h"

class AAX_IEffectParameters
{
public:
    virtual ~AAX_IEffectParameters() = default;

    // Lifetime
    virtual AAX_Result Initialize (IACFUnknown* controller) = 0;
    virtual AAX_Result Uninitialize() = 0;
    virtual AAX_Result NotificationReceived (AAX_CTypeID type, const void* data, uint32_t size) = 0;

    // Parameters, by ID
    virtual AAX_Result GetNumberOfParameters (int32_t* numParameters) const = 0;
    virtual AAX_Result GetMasterBypassParameter (AAX_IString* parameterID) const = 0;
    virtual AAX_Result GetParameterIDFromIndex (int32_t index, AAX_IString* parameterID) const = 0;
    virtual AAX_Result GetParameterIndex (AAX_CParamID parameterID, int32_t* index) const = 0;
    virtual AAX_Result GetParameterIsAutomatable (AAX_CParamID parameterID, AAX_CBoolean* automatable) const = 0;
    virtual AAX_Result GetParameterNumberOfSteps (AAX_CParamID parameterID, int32_t* numSteps) const = 0;
    virtual AAX_Result GetParameterName (AAX_CParamID parameterID, AAX_IString* name) const = 0;
    virtual AAX_Result GetParameterNameOfLength (AAX_CParamID parameterID, AAX_IString* name, int32_t length) const = 0;
    virtual AAX_Result GetParameterDefaultNormalizedValue (AAX_CParamID parameterID, double* value) const = 0;
    virtual AAX_Result GetParameterType (AAX_CParamID parameterID, AAX_EParameterType* type) const = 0;
    virtual AAX_Result GetParameterOrientation (AAX_CParamID parameterID, AAX_EParameterOrientation* orientation) const = 0;
    virtual AAX_Result GetParameterValueString (AAX_CParamID parameterID, AAX_IString* valueString, int32_t maxLength) const = 0;
    virtual AAX_Result GetParameterStringFromValue (AAX_CParamID parameterID, double value, AAX_IString* valueString, int32_t maxLength) const = 0;
    virtual AAX_Result GetParameterValueFromString (AAX_CParamID parameterID, double* value, const AAX_IString& valueString) const = 0;
    virtual AAX_Result GetParameterNormalizedValue (AAX_CParamID parameterID, double* value) const = 0;
    virtual AAX_Result SetParameterNormalizedValue (AAX_CParamID parameterID, double value) = 0;
    virtual AAX_Result SetParameterNormalizedRelative (AAX_CParamID parameterID, double delta) = 0;

    // Automation: the host's answers to the plug-in's requests
    virtual AAX_Result TouchParameter (AAX_CParamID parameterID) = 0;
    virtual AAX_Result ReleaseParameter (AAX_CParamID parameterID) = 0;
    virtual AAX_Result UpdateParameterNormalizedValue (AAX_CParamID parameterID, double value, AAX_EUpdateSource source) = 0;
    virtual AAX_Result GenerateCoefficients() = 0;

    // Algorithm context: fills a private-data field
    virtual AAX_Result ResetFieldData (AAX_CFieldIndex field, void* data, uint32_t dataSize) const = 0;

    // State
    virtual AAX_Result GetNumberOfChunks (int32_t* numChunks) const = 0;
    virtual AAX_Result GetChunkIDFromIndex (int32_t index, AAX_CTypeID* chunkID) const = 0;
    virtual AAX_Result GetChunkSize (AAX_CTypeID chunkID, uint32_t* size) const = 0;
    virtual AAX_Result GetChunk (AAX_CTypeID chunkID, AAX_SPlugInChunk* chunk) const = 0;
    virtual AAX_Result SetChunk (AAX_CTypeID chunkID, const AAX_SPlugInChunk* chunk) = 0;
    virtual AAX_Result GetNumberOfChanges (int32_t* numChanges) const = 0;

    // Curves for control surfaces
    virtual AAX_Result GetCurveData (AAX_CTypeID curveType, const float* values, uint32_t numValues, float* outValues) const = 0;
    virtual AAX_Result GetCurveDataMeterIds (AAX_CTypeID curveType, uint32_t* xMeterID, uint32_t* yMeterID) const = 0;
    virtual AAX_Result GetCurveDataDisplayRange (AAX_CTypeID curveType, float* xMin, float* xMax, float* yMin, float* yMax) const = 0;
};
