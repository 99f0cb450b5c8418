// Stand-in AAX layer: turns a parameter's real value into text and back.
#pragma once

#include "AAX_CString.h"

template <typename T>
class AAX_IDisplayDelegate
{
public:
    virtual ~AAX_IDisplayDelegate() = default;

    virtual AAX_IDisplayDelegate* Clone() const = 0;
    virtual bool ValueToString (T value, AAX_CString* valueString) const = 0;
    virtual bool ValueToString (T value, int32_t maxNumChars, AAX_CString* valueString) const = 0;
    virtual bool StringToValue (const AAX_CString& valueString, T* value) const = 0;
};
