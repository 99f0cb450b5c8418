// Stand-in AAX layer: shows a value as a number with Precision decimals.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "AAX_IDisplayDelegate.h"

template <typename T, uint32_t Precision = 2, uint32_t SpaceAfter = 0>
class AAX_CNumberDisplayDelegate : public AAX_IDisplayDelegate<T>
{
public:
    AAX_CNumberDisplayDelegate* Clone() const override { return new AAX_CNumberDisplayDelegate (*this); }

    bool ValueToString (T value, AAX_CString* valueString) const override
    {
        return ValueToString (value, 64, valueString);
    }

    bool ValueToString (T value, int32_t maxNumChars, AAX_CString* valueString) const override
    {
        if (valueString == nullptr || maxNumChars <= 0)
            return false;

        char text[64] = {};
        std::snprintf (text, sizeof (text), "%.*f%*s", static_cast<int> (Precision),
                       static_cast<double> (value), static_cast<int> (SpaceAfter), "");

        if (static_cast<size_t> (maxNumChars) < sizeof (text))
            text[maxNumChars] = 0;

        valueString->Set (text);
        return true;
    }

    bool StringToValue (const AAX_CString& valueString, T* value) const override
    {
        char* end = nullptr;
        const auto parsed = std::strtod (valueString.Get(), &end);

        if (value == nullptr || end == valueString.Get())
            return false;

        *value = static_cast<T> (parsed);
        return true;
    }
};
