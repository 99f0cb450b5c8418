// Stand-in AAX layer: the string interface passed across the boundary.
#pragma once

#include "AAX.h"

class AAX_IString
{
public:
    virtual ~AAX_IString() = default;

    virtual uint32_t Length() const = 0;
    virtual uint32_t MaxLength() const = 0;
    virtual const char* Get() const = 0;
    virtual void Set (const char* text) = 0;
};
