// Stand-in AAX layer: linear taper between a minimum and a maximum. RealPrecision > 0
// rounds real values to steps of 1 / RealPrecision; 0 keeps them as they are.
#pragma once

#include <cmath>

#include "AAX_ITaperDelegate.h"

template <typename T, int32_t RealPrecision = 1000>
class AAX_CLinearTaperDelegate : public AAX_ITaperDelegate<T>
{
public:
    explicit AAX_CLinearTaperDelegate (T minValue = T (0), T maxValue = T (1))
        : minimum (minValue), maximum (maxValue) {}

    AAX_CLinearTaperDelegate* Clone() const override  { return new AAX_CLinearTaperDelegate (*this); }
    T GetMinimumValue() const override                 { return minimum; }
    T GetMaximumValue() const override                 { return maximum; }

    T ConstrainRealValue (T value) const override
    {
        if (RealPrecision > 0)
            value = static_cast<T> (std::round (static_cast<double> (value) * RealPrecision) / RealPrecision);

        const T low  = minimum < maximum ? minimum : maximum;
        const T high = minimum < maximum ? maximum : minimum;
        return value < low ? low : (value > high ? high : value);
    }

    T NormalizedToReal (double normalizedValue) const override
    {
        const auto real = static_cast<double> (minimum) + normalizedValue * (static_cast<double> (maximum) - static_cast<double> (minimum));
        return ConstrainRealValue (static_cast<T> (real));
    }

    double RealToNormalized (T realValue) const override
    {
        const auto span = static_cast<double> (maximum) - static_cast<double> (minimum);

        if (span == 0.0)
            return 0.0;

        return (static_cast<double> (ConstrainRealValue (realValue)) - static_cast<double> (minimum)) / span;
    }

private:
    T minimum, maximum;
};
