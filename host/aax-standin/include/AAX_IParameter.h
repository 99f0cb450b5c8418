// Stand-in AAX layer: one parameter as the effect-parameters object keeps it.
#pragma once

#include "AAX_CString.h"
#include "AAX_Enums.h"
#include "AAX_IAutomationDelegate.h"

class AAX_IParameter
{
public:
    virtual ~AAX_IParameter() = default;

    virtual AAX_CParamID Identifier() const = 0;
    virtual const AAX_CString& Name() const = 0;
    virtual void SetName (const AAX_CString& name) = 0;
    virtual void AddShortenedName (const char* name) = 0;
    // The longest of the given names that fits, else the full name cut to length.
    virtual const AAX_CString& ShortenedName (int32_t maxLength) const = 0;

    virtual bool Automatable() const = 0;
    virtual void SetAutomationDelegate (AAX_IAutomationDelegate* delegate) = 0;
    virtual void Touch() = 0;
    virtual void Release() = 0;

    // Set through the host when it automates this parameter: the value comes back
    // with UpdateNormalizedValue. Without a host the value is taken at once.
    virtual void SetNormalizedValue (double normalizedValue) = 0;
    virtual void UpdateNormalizedValue (double normalizedValue) = 0;
    virtual double GetNormalizedValue() const = 0;
    virtual void SetNormalizedDefaultValue (double normalizedValue) = 0;
    virtual double GetNormalizedDefaultValue() const = 0;
    virtual void SetToDefaultValue() = 0;

    virtual void SetNumberOfSteps (uint32_t numSteps) = 0;
    virtual uint32_t GetNumberOfSteps() const = 0;
    virtual void SetType (AAX_EParameterType type) = 0;
    virtual AAX_EParameterType GetType() const = 0;
    virtual void SetOrientation (AAX_EParameterOrientation orientation) = 0;
    virtual AAX_EParameterOrientation GetOrientation() const = 0;

    virtual bool GetValueString (int32_t maxLength, AAX_CString* valueString) const = 0;
    virtual bool GetNormalizedValueString (double normalizedValue, int32_t maxLength, AAX_CString* valueString) const = 0;
    virtual bool GetNormalizedValueFromString (const AAX_CString& valueString, double* normalizedValue) const = 0;

    // Typed access: false when the parameter's type differs.
    virtual bool GetValueAsFloat (float* value) const = 0;
    virtual bool SetValueWithFloat (float value) = 0;
    virtual bool GetValueAsInt32 (int32_t* value) const = 0;
    virtual bool SetValueWithInt32 (int32_t value) = 0;
    virtual bool GetValueAsBool (bool* value) const = 0;
    virtual bool SetValueWithBool (bool value) = 0;
    virtual bool GetValueAsDouble (double* value) const = 0;
    virtual bool SetValueWithDouble (double value) = 0;
};
