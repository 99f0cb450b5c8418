#include "AAX_CEffectParameters.h"

#include <cstring>

#include "AAX_LiveObjects.h"
#include "AAX_VAutomationDelegate.h"
#include "AAX_VController.h"
#include "AAX_VTransport.h"

AAX_CEffectParameters::AAX_CEffectParameters() :
    mController (std::make_unique<AAX_VController> (nullptr)),
    mTransport (std::make_unique<AAX_VTransport>())
{
    AAX::AddLiveObject();
}

AAX_CEffectParameters::~AAX_CEffectParameters()
{
    // Parameters unregister from the host's mAutomationDelegate, so they go before it does.
    mParameterManager.RemoveAllParameters();
    AAX::RemoveLiveObject();
}

AAX_Result AAX_CEffectParameters::Initialize (IACFUnknown* hostController)
{
    auto newController = std::make_unique<AAX_VController> (hostController);

    if (! newController->IsValid())
        return AAX_ERROR_NULL_OBJECT;

    mController = std::move (newController);

    auto newAutomation = std::make_unique<AAX_VAutomationDelegate> (hostController);
    mAutomationDelegate = newAutomation->IsValid() ? std::move (newAutomation) : nullptr;

    mParameterManager.Initialize (mAutomationDelegate.get());
    mPacketDispatcher.Initialize (mController.get(), &mParameterManager);

    return EffectInit();
}

AAX_Result AAX_CEffectParameters::Uninitialize()
{
    mParameterManager.RemoveAllParameters();
    mParameterManager.Initialize (nullptr);
    mPacketDispatcher.Initialize (nullptr, nullptr);
    mAutomationDelegate.reset();
    mController = std::make_unique<AAX_VController> (nullptr);
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::EffectInit()
{
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::NotificationReceived (AAX_CTypeID, const void*, uint32_t)
{
    return AAX_SUCCESS;
}

//==============================================================================
AAX_Result AAX_CEffectParameters::GetNumberOfParameters (int32_t* numParameters) const
{
    if (numParameters == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    *numParameters = mParameterManager.NumParameters();
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetMasterBypassParameter (AAX_IString* parameterID) const
{
    if (parameterID == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    parameterID->Set (cDefaultMasterBypassID);
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterIDFromIndex (int32_t index, AAX_IString* parameterID) const
{
    const auto* parameter = mParameterManager.GetParameter (index);

    if (parameter == nullptr)
        return AAX_ERROR_INVALID_PARAMETER_INDEX;

    if (parameterID == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    parameterID->Set (parameter->Identifier());
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterIndex (AAX_CParamID parameterID, int32_t* index) const
{
    if (index == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    *index = mParameterManager.GetParameterIndex (parameterID);
    return *index >= 0 ? AAX_SUCCESS : AAX_ERROR_INVALID_PARAMETER_ID;
}

#define AAX_FIND_PARAMETER(out)                                               \
    const auto* parameter = mParameterManager.GetParameterByID (parameterID); \
    if (parameter == nullptr)                                                 \
        return AAX_ERROR_INVALID_PARAMETER_ID;                                \
    if ((out) == nullptr)                                                     \
    return AAX_ERROR_NULL_OBJECT

AAX_Result AAX_CEffectParameters::GetParameterIsAutomatable (AAX_CParamID parameterID, AAX_CBoolean* automatable) const
{
    AAX_FIND_PARAMETER (automatable);
    *automatable = parameter->Automatable() ? 1 : 0;
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterNumberOfSteps (AAX_CParamID parameterID, int32_t* numSteps) const
{
    AAX_FIND_PARAMETER (numSteps);
    *numSteps = static_cast<int32_t> (parameter->GetNumberOfSteps());
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterName (AAX_CParamID parameterID, AAX_IString* name) const
{
    AAX_FIND_PARAMETER (name);
    name->Set (parameter->Name().Get());
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterNameOfLength (AAX_CParamID parameterID, AAX_IString* name, int32_t length) const
{
    AAX_FIND_PARAMETER (name);
    name->Set (parameter->ShortenedName (length).Get());
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterDefaultNormalizedValue (AAX_CParamID parameterID, double* value) const
{
    AAX_FIND_PARAMETER (value);
    *value = parameter->GetNormalizedDefaultValue();
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterType (AAX_CParamID parameterID, AAX_EParameterType* type) const
{
    AAX_FIND_PARAMETER (type);
    *type = parameter->GetType();
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterOrientation (AAX_CParamID parameterID, AAX_EParameterOrientation* orientation) const
{
    AAX_FIND_PARAMETER (orientation);
    *orientation = parameter->GetOrientation();
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterValueString (AAX_CParamID parameterID, AAX_IString* valueString, int32_t maxLength) const
{
    AAX_FIND_PARAMETER (valueString);
    AAX_CString text;

    if (! parameter->GetValueString (maxLength, &text))
        return AAX_ERROR_INVALID_STRING_CONVERSION;

    valueString->Set (text.Get());
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterStringFromValue (AAX_CParamID parameterID, double value, AAX_IString* valueString, int32_t maxLength) const
{
    AAX_FIND_PARAMETER (valueString);
    AAX_CString text;

    if (! parameter->GetNormalizedValueString (value, maxLength, &text))
        return AAX_ERROR_INVALID_STRING_CONVERSION;

    valueString->Set (text.Get());
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterValueFromString (AAX_CParamID parameterID, double* value, const AAX_IString& valueString) const
{
    AAX_FIND_PARAMETER (value);
    return parameter->GetNormalizedValueFromString (AAX_CString (valueString.Get()), value)
               ? AAX_SUCCESS
               : AAX_ERROR_INVALID_STRING_CONVERSION;
}

AAX_Result AAX_CEffectParameters::GetParameterNormalizedValue (AAX_CParamID parameterID, double* value) const
{
    AAX_FIND_PARAMETER (value);
    *value = parameter->GetNormalizedValue();
    return AAX_SUCCESS;
}

#undef AAX_FIND_PARAMETER

AAX_Result AAX_CEffectParameters::SetParameterNormalizedValue (AAX_CParamID parameterID, double value)
{
    auto* parameter = mParameterManager.GetParameterByID (parameterID);

    if (parameter == nullptr)
        return AAX_ERROR_INVALID_PARAMETER_ID;

    parameter->SetNormalizedValue (value);
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::SetParameterNormalizedRelative (AAX_CParamID parameterID, double delta)
{
    auto* parameter = mParameterManager.GetParameterByID (parameterID);

    if (parameter == nullptr)
        return AAX_ERROR_INVALID_PARAMETER_ID;

    parameter->SetNormalizedValue (parameter->GetNormalizedValue() + delta);
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::TouchParameter (AAX_CParamID parameterID)
{
    auto* parameter = mParameterManager.GetParameterByID (parameterID);

    if (parameter == nullptr)
        return AAX_ERROR_INVALID_PARAMETER_ID;

    parameter->Touch();
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::ReleaseParameter (AAX_CParamID parameterID)
{
    auto* parameter = mParameterManager.GetParameterByID (parameterID);

    if (parameter == nullptr)
        return AAX_ERROR_INVALID_PARAMETER_ID;

    parameter->Release();
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::UpdateParameterNormalizedValue (AAX_CParamID parameterID, double value, AAX_EUpdateSource)
{
    auto* parameter = mParameterManager.GetParameterByID (parameterID);

    if (parameter == nullptr)
        return AAX_ERROR_INVALID_PARAMETER_ID;

    parameter->UpdateNormalizedValue (value);
    mPacketDispatcher.SetDirty (parameterID);
    ++mNumPlugInChanges;
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GenerateCoefficients()
{
    return mPacketDispatcher.Dispatch();
}

AAX_Result AAX_CEffectParameters::ResetFieldData (AAX_CFieldIndex, void* data, uint32_t dataSize) const
{
    if (data != nullptr)
        std::memset (data, 0, dataSize);

    return AAX_SUCCESS;
}

//==============================================================================
AAX_Result AAX_CEffectParameters::GetNumberOfChunks (int32_t* numChunks) const
{
    if (numChunks == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    *numChunks = 1;
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetChunkIDFromIndex (int32_t index, AAX_CTypeID* chunkID) const
{
    if (index != 0)
        return AAX_ERROR_INVALID_CHUNK_INDEX;

    if (chunkID == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    *chunkID = cControlsChunkID;
    return AAX_SUCCESS;
}

void AAX_CEffectParameters::BuildControlsChunk() const
{
    mControlsChunk.Clear();

    for (int32_t i = 0; i < mParameterManager.NumParameters(); ++i)
        if (const auto* parameter = mParameterManager.GetParameter (i))
            mControlsChunk.AddDouble (parameter->Identifier(), parameter->GetNormalizedValue());
}

AAX_Result AAX_CEffectParameters::GetChunkSize (AAX_CTypeID chunkID, uint32_t* size) const
{
    if (chunkID != cControlsChunkID)
        return AAX_ERROR_INVALID_CHUNK_ID;

    if (size == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    BuildControlsChunk();
    mLastReportedControlsChunkSize = mControlsChunk.GetChunkDataSize();
    *size = mLastReportedControlsChunkSize;
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetChunk (AAX_CTypeID chunkID, AAX_SPlugInChunk* chunk) const
{
    if (chunkID != cControlsChunkID)
        return AAX_ERROR_INVALID_CHUNK_ID;

    if (chunk == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    // The host sized its buffer from GetChunkSize: never write more than that.
    BuildControlsChunk();
    const auto size = mControlsChunk.GetChunkDataSize();

    if (size == 0 || size != mLastReportedControlsChunkSize)
        return AAX_ERROR_INCORRECT_CHUNK_SIZE;

    mControlsChunk.GetChunkData (chunk, cControlsChunkID);
    std::memset (chunk->fName, 0, sizeof (chunk->fName));
    std::strncpy (reinterpret_cast<char*> (chunk->fName), cControlsChunkName, sizeof (chunk->fName) - 1);
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::SetChunk (AAX_CTypeID chunkID, const AAX_SPlugInChunk* chunk)
{
    if (chunkID != cControlsChunkID)
        return AAX_ERROR_INVALID_CHUNK_ID;

    if (chunk == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    AAX_CChunkDataParser parser;

    if (! parser.LoadChunk (chunk))
        return AAX_ERROR_INCORRECT_CHUNK_SIZE;

    for (int32_t i = 0; i < mParameterManager.NumParameters(); ++i)
    {
        auto* parameter = mParameterManager.GetParameter (i);
        double value = 0;

        if (parameter != nullptr && parser.FindDouble (parameter->Identifier(), &value))
            parameter->SetNormalizedValue (value);
    }

    ++mNumPlugInChanges;
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetNumberOfChanges (int32_t* numChanges) const
{
    if (numChanges == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    *numChanges = mNumPlugInChanges;
    return AAX_SUCCESS;
}

//==============================================================================
AAX_Result AAX_CEffectParameters::GetCurveData (AAX_CTypeID, const float*, uint32_t, float*) const
{
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_CEffectParameters::GetCurveDataMeterIds (AAX_CTypeID, uint32_t*, uint32_t*) const
{
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_CEffectParameters::GetCurveDataDisplayRange (AAX_CTypeID, float*, float*, float*, float*) const
{
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_IController* AAX_CEffectParameters::Controller() { return mController.get(); }
const AAX_IController* AAX_CEffectParameters::Controller() const { return mController.get(); }
AAX_ITransport* AAX_CEffectParameters::Transport() { return mTransport.get(); }
const AAX_ITransport* AAX_CEffectParameters::Transport() const { return mTransport.get(); }
