#include "AAX_VTransport.h"

#include "AAX_Errors.h"

namespace
{
template <typename T>
void zero (T* out)
{
    if (out != nullptr)
        *out = T {};
}
} // namespace

AAX_Result AAX_VTransport::GetCurrentTempo (double* tempo) const
{
    zero (tempo);
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_VTransport::GetCurrentMeter (int32_t* numerator, int32_t* denominator) const
{
    zero (numerator);
    zero (denominator);
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_VTransport::IsTransportPlaying (bool* isPlaying) const
{
    zero (isPlaying);
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_VTransport::GetCurrentTickPosition (int64_t* ticks) const
{
    zero (ticks);
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_VTransport::GetCurrentLoopPosition (bool* looping, int64_t* loopStartTick, int64_t* loopEndTick) const
{
    zero (looping);
    zero (loopStartTick);
    zero (loopEndTick);
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_VTransport::GetCurrentNativeSampleLocation (int64_t* sampleLocation) const
{
    zero (sampleLocation);
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_VTransport::GetCustomTickPosition (int64_t* ticks, int64_t) const
{
    zero (ticks);
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_VTransport::GetBarBeatPosition (int32_t* bars, int32_t* beats, int64_t* displayTicks, int64_t) const
{
    zero (bars);
    zero (beats);
    zero (displayTicks);
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_VTransport::GetTimelineSelectionStartPosition (int64_t* sampleLocation) const
{
    zero (sampleLocation);
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_VTransport::GetTimeCodeInfo (AAX_EFrameRate* frameRate, int32_t* offset) const
{
    if (frameRate != nullptr)
        *frameRate = AAX_eFrameRate_Undeclared;

    zero (offset);
    return AAX_ERROR_UNIMPLEMENTED;
}
