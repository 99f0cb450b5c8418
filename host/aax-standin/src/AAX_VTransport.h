// The host's transport. This stand-in's hosts offer none: every query fails with
// AAX_ERROR_UNIMPLEMENTED and leaves zeros in its outputs.
#pragma once

#include "AAX_ITransport.h"

class AAX_VTransport : public AAX_ITransport
{
public:
    AAX_Result GetCurrentTempo (double* tempo) const override;
    AAX_Result GetCurrentMeter (int32_t* numerator, int32_t* denominator) const override;
    AAX_Result IsTransportPlaying (bool* isPlaying) const override;
    AAX_Result GetCurrentTickPosition (int64_t* ticks) const override;
    AAX_Result GetCurrentLoopPosition (bool* looping, int64_t* loopStartTick, int64_t* loopEndTick) const override;
    AAX_Result GetCurrentNativeSampleLocation (int64_t* sampleLocation) const override;
    AAX_Result GetCustomTickPosition (int64_t* ticks, int64_t sampleLocation) const override;
    AAX_Result GetBarBeatPosition (int32_t* bars, int32_t* beats, int64_t* displayTicks, int64_t sampleLocation) const override;
    AAX_Result GetTimelineSelectionStartPosition (int64_t* sampleLocation) const override;
    AAX_Result GetTimeCodeInfo (AAX_EFrameRate* frameRate, int32_t* offset) const override;
};
