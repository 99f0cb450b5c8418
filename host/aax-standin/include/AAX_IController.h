// Stand-in AAX layer: the host's per-instance services as a plug-in sees them.
#pragma once

#include "AAX_Enums.h"
#include "AAX_IString.h"

class AAX_IController
{
public:
    virtual ~AAX_IController() = default;

    virtual AAX_Result GetEffectID (AAX_IString* effectID) const = 0;
    virtual AAX_Result GetSampleRate (AAX_CSampleRate* sampleRate) const = 0;
    virtual AAX_Result GetInputStemFormat (AAX_EStemFormat* stemFormat) const = 0;
    virtual AAX_Result GetOutputStemFormat (AAX_EStemFormat* stemFormat) const = 0;
    virtual AAX_Result GetSignalLatency (int32_t* samples) const = 0;
    virtual AAX_Result SetSignalLatency (int32_t samples) = 0;
    virtual AAX_Result GetIsAudioSuite (AAX_CBoolean* isAudioSuite) const = 0;
    virtual AAX_Result PostPacket (AAX_CFieldIndex field, const void* data, uint32_t size) = 0;
};
