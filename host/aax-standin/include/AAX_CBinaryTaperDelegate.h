// Stand-in AAX layer: on/off taper; a normalized value of 0.5 or more is on.
#pragma once

#include "AAX_ITaperDelegate.h"

template <typename T>
class AAX_CBinaryTaperDelegate : public AAX_ITaperDelegate<T>
{
public:
    AAX_CBinaryTaperDelegate* Clone() const override    { return new AAX_CBinaryTaperDelegate (*this); }
    T GetMinimumValue() const override                   { return T (0); }
    T GetMaximumValue() const override                   { return T (1); }
    T ConstrainRealValue (T value) const override        { return value != T (0) ? T (1) : T (0); }
    T NormalizedToReal (double normalizedValue) const override { return normalizedValue >= 0.5 ? T (1) : T (0); }
    double RealToNormalized (T realValue) const override { return realValue != T (0) ? 1.0 : 0.0; }
};
