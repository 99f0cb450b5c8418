// Stand-in AAX layer: the host's transport as a plug-in may query it.
#pragma once

#include "AAX_Enums.h"

class AAX_ITransport
{
public:
    virtual ~AAX_ITransport() = default;

    virtual AAX_Result GetCurrentTempo (double* tempo) const = 0;
    virtual AAX_Result GetCurrentMeter (int32_t* numerator, int32_t* denominator) const = 0;
    virtual AAX_Result IsTransportPlaying (bool* isPlaying) const = 0;
    virtual AAX_Result GetCurrentTickPosition (int64_t* ticks) const = 0;
    virtual AAX_Result GetCurrentLoopPosition (bool* looping, int64_t* loopStartTick, int64_t* loopEndTick) const = 0;
    virtual AAX_Result GetCurrentNativeSampleLocation (int64_t* sampleLocation) const = 0;
    virtual AAX_Result GetCustomTickPosition (int64_t* ticks, int64_t sampleLocation) const = 0;
    virtual AAX_Result GetBarBeatPosition (int32_t* bars, int32_t* beats, int64_t* displayTicks, int64_t sampleLocation) const = 0;
    virtual AAX_Result GetTimelineSelectionStartPosition (int64_t* sampleLocation) const = 0;
    virtual AAX_Result GetTimeCodeInfo (AAX_EFrameRate* frameRate, int32_t* offset) const = 0;
};
