#include "AAX_VController.h"

#include "AAX_Errors.h"

AAX_VController::AAX_VController (IACFUnknown* host)
{
    void* found = nullptr;

    if (host != nullptr && host->QueryInterface (IID_IAAXControllerV1, &found) == ACF_OK)
        controller = static_cast<AAX_IACFController*> (found);
}

AAX_VController::~AAX_VController()
{
    if (controller != nullptr)
        controller->Release();
}

AAX_IEffectParameters* AAX_VController::GetEffectParameters() const
{
    return controller != nullptr ? controller->GetEffectParameters() : nullptr;
}

AAX_Result AAX_VController::GetEffectID (AAX_IString* effectID) const
{
    if (controller == nullptr || effectID == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    char text[256] = {};
    const auto result = controller->GetEffectID (text, static_cast<int32_t> (sizeof (text) - 1));
    effectID->Set (text);
    return result;
}

AAX_Result AAX_VController::GetSampleRate (AAX_CSampleRate* sampleRate) const
{
    if (controller == nullptr || sampleRate == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    return controller->GetSampleRate (sampleRate);
}

AAX_Result AAX_VController::GetInputStemFormat (AAX_EStemFormat* stemFormat) const
{
    if (controller == nullptr || stemFormat == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    int32_t format = AAX_eStemFormat_None;
    const auto result = controller->GetInputStemFormat (&format);
    *stemFormat = static_cast<AAX_EStemFormat> (format);
    return result;
}

AAX_Result AAX_VController::GetOutputStemFormat (AAX_EStemFormat* stemFormat) const
{
    if (controller == nullptr || stemFormat == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    int32_t format = AAX_eStemFormat_None;
    const auto result = controller->GetOutputStemFormat (&format);
    *stemFormat = static_cast<AAX_EStemFormat> (format);
    return result;
}

AAX_Result AAX_VController::GetSignalLatency (int32_t* samples) const
{
    if (controller == nullptr || samples == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    return controller->GetSignalLatency (samples);
}

AAX_Result AAX_VController::SetSignalLatency (int32_t samples)
{
    return controller != nullptr ? controller->SetSignalLatency (samples) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VController::GetIsAudioSuite (AAX_CBoolean* isAudioSuite) const
{
    if (isAudioSuite == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    *isAudioSuite = 0;
    return controller != nullptr ? controller->GetIsAudioSuite (isAudioSuite) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VController::PostPacket (AAX_CFieldIndex field, const void* data, uint32_t size)
{
    return controller != nullptr ? controller->PostPacket (field, data, size) : AAX_ERROR_NULL_OBJECT;
}
