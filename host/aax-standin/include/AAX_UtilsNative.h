// Stand-in AAX layer: small helpers for native code.
#pragma once

#include "AAX_Errors.h"

namespace AAX
{
    // A result's name and number, e.g. "AAX_ERROR_NULL_OBJECT (-20004)".
    const char* AsStringResult (AAX_Result result);
}
