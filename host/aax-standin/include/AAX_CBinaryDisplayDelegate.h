// Stand-in AAX layer: shows an on/off value as one of two texts.
#pragma once

#include <cstring>

#include "AAX_IDisplayDelegate.h"

template <typename T>
class AAX_CBinaryDisplayDelegate : public AAX_IDisplayDelegate<T>
{
public:
    AAX_CBinaryDisplayDelegate (const char* offText, const char* onText)
        : falseString (offText), trueString (onText) {}

    AAX_CBinaryDisplayDelegate* Clone() const override { return new AAX_CBinaryDisplayDelegate (*this); }

    bool ValueToString (T value, AAX_CString* valueString) const override
    {
        if (valueString == nullptr)
            return false;

        valueString->Set (value != T (0) ? trueString.Get() : falseString.Get());
        return true;
    }

    bool ValueToString (T value, int32_t, AAX_CString* valueString) const override
    {
        return ValueToString (value, valueString);
    }

    bool StringToValue (const AAX_CString& valueString, T* value) const override
    {
        if (value == nullptr)
            return false;

        if (valueString == trueString)  { *value = T (1); return true; }
        if (valueString == falseString) { *value = T (0); return true; }
        return false;
    }

private:
    AAX_CString falseString, trueString;
};
