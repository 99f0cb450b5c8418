// Stand-in AAX layer: basic types shared by every interface.
// Written from what the framework's AAX client uses; not Avid's SDK.
#pragma once

#include <cstddef>
#include <cstdint>

#include "acfbasetypes.h"

typedef int32_t     AAX_Result;
typedef uint32_t    AAX_CTypeID;
typedef uint8_t     AAX_CBoolean;
typedef const char* AAX_CParamID;
typedef float       AAX_CSampleRate;
typedef int32_t     AAX_CPropertyValue;
typedef int32_t     AAX_CFieldIndex;
typedef int32_t     AAX_CProcPtrID;
typedef int32_t     AAX_EParameterOrientation;

#if defined (_WIN32)
 #define AAX_CALLBACK __cdecl
#else
 #define AAX_CALLBACK
#endif

// A view size: vertical first, as the host passes it.
struct AAX_Point
{
    AAX_Point() = default;
    AAX_Point (float v, float h) : vert (v), horz (h) {}

    float vert = 0.0f;
    float horz = 0.0f;
};

// An algorithm context is a struct of pointers; a field's index is its slot.
#define AAX_FIELD_INDEX(contextType, member) \
    static_cast<AAX_CFieldIndex> (offsetof (contextType, member) / sizeof (void*))

// Stem formats carry their index in the upper 16 bits and the channel count in the lower.
#define AAX_STEM_FORMAT(index, channels) \
    static_cast<int32_t> ((static_cast<uint32_t> (index) << 16) | static_cast<uint32_t> (channels))
#define AAX_STEM_FORMAT_INDEX(format)         ((static_cast<uint32_t> (format) >> 16) & 0xFFFFu)
#define AAX_STEM_FORMAT_CHANNEL_COUNT(format) (static_cast<uint32_t> (format) & 0xFFFFu)

// Chunks as the host stores them: a header and the data bytes right after it.
struct AAX_SPlugInChunkHeader
{
    int32_t       fSize;           // bytes in fData
    int32_t       fVersion;
    AAX_CTypeID   fManufacturerID;
    AAX_CTypeID   fProductID;
    AAX_CTypeID   fPlugInID;
    AAX_CTypeID   fChunkID;
    unsigned char fName[32];
};

struct AAX_SPlugInChunk : AAX_SPlugInChunkHeader
{
    char fData[1];
};

// Procedure IDs of AAX_IEffectDescriptor::AddProcPtr.
enum : AAX_CProcPtrID
{
    kAAX_ProcPtrID_Create_EffectParameters = 0,
    kAAX_ProcPtrID_Create_EffectGUI        = 1
};

// The native real-time procedure, for any context type.
typedef void (AAX_CALLBACK* AAX_CProcessProc) (void* const inInstancesBegin[], const void* inInstancesEnd);
