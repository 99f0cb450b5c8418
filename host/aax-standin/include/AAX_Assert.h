// Stand-in AAX layer: trace and assertion output through the host's services.
#pragma once

#include "AAX.h"

enum AAX_ETracePriorityHost : int32_t
{
    AAX_eTracePriorityHost_None     = 0,
    AAX_eTracePriorityHost_Critical = 0x10000000,
    AAX_eTracePriorityHost_High     = 0x08000000,
    AAX_eTracePriorityHost_Normal   = 0x04000000,
    AAX_eTracePriorityHost_Lowest   = 0x01000000
};

namespace AAX
{
    // printf-style; dropped when no host services are connected.
    void Trace (AAX_ETracePriorityHost priority, const char* format, ...)
#if defined (__GNUC__)
        __attribute__ ((format (printf, 2, 3)))
#endif
        ;

    void AssertFailure (const char* file, int32_t line, const char* note);
}

#define AAX_TRACE(priority, ...) AAX::Trace (priority, __VA_ARGS__)
#define AAX_ASSERT(condition) \
    do { if (! (condition)) AAX::AssertFailure (__FILE__, __LINE__, #condition); } while (false)
