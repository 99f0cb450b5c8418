// The host's controller for one instance. Without a host controller every query
// fails with AAX_ERROR_NULL_OBJECT, so a plug-in can ask before it is initialised.
#pragma once

#include "AAX_IACFHostInterfaces.h"
#include "AAX_IController.h"

class AAX_VController : public AAX_IController
{
public:
    explicit AAX_VController (IACFUnknown* host);
    ~AAX_VController() override;

    AAX_VController (const AAX_VController&) = delete;
    AAX_VController& operator= (const AAX_VController&) = delete;

    bool IsValid() const noexcept { return controller != nullptr; }
    AAX_IEffectParameters* GetEffectParameters() const;

    AAX_Result GetEffectID (AAX_IString* effectID) const override;
    AAX_Result GetSampleRate (AAX_CSampleRate* sampleRate) const override;
    AAX_Result GetInputStemFormat (AAX_EStemFormat* stemFormat) const override;
    AAX_Result GetOutputStemFormat (AAX_EStemFormat* stemFormat) const override;
    AAX_Result GetSignalLatency (int32_t* samples) const override;
    AAX_Result SetSignalLatency (int32_t samples) override;
    AAX_Result GetIsAudioSuite (AAX_CBoolean* isAudioSuite) const override;
    AAX_Result PostPacket (AAX_CFieldIndex field, const void* data, uint32_t size) override;

private:
    AAX_IACFController* controller = nullptr;
};
