// Stand-in AAX layer: a MIDI node of the algorithm context.
#pragma once

#include "AAX.h"

struct AAX_CMidiPacket
{
    uint32_t      mTimestamp;
    uint32_t      mLength;
    unsigned char mData[4];
    AAX_CBoolean  mIsImmediate;
};

struct AAX_CMidiStream
{
    uint32_t         mBufferSize;
    AAX_CMidiPacket* mBuffer;
};

class AAX_IMIDINode
{
public:
    virtual ~AAX_IMIDINode() = default;

    virtual AAX_CMidiStream* GetNodeBuffer() = 0;
    virtual AAX_Result PostMIDIPacket (AAX_CMidiPacket* packet) = 0;
};
