// Stand-in AAX layer: a parameter of real type T with its taper and display delegates.
#pragma once

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "AAX_Errors.h"
#include "AAX_IDisplayDelegate.h"
#include "AAX_IParameter.h"
#include "AAX_ITaperDelegate.h"

template <typename T>
class AAX_CParameter : public AAX_IParameter
{
public:
    AAX_CParameter (AAX_CParamID identifier, const AAX_IString& parameterName, T defaultRealValue,
                    const AAX_ITaperDelegate<T>& taperDelegate, const AAX_IDisplayDelegate<T>& displayDelegate,
                    bool isAutomatable = false)
        : id (identifier != nullptr ? identifier : ""),
          name (parameterName.Get()),
          taper (taperDelegate.Clone()),
          display (displayDelegate.Clone()),
          defaultValue (taper->ConstrainRealValue (defaultRealValue)),
          value (defaultValue),
          automatable (isAutomatable),
          numberOfSteps (std::is_same<T, bool>::value ? 2u : 128u),
          type (std::is_same<T, bool>::value ? AAX_eParameterType_Discrete : AAX_eParameterType_Continuous)
    {
    }

    ~AAX_CParameter() override { SetAutomationDelegate (nullptr); }

    AAX_CParameter (const AAX_CParameter&) = delete;
    AAX_CParameter& operator= (const AAX_CParameter&) = delete;

    AAX_CParamID Identifier() const override          { return id.c_str(); }
    const AAX_CString& Name() const override          { return name; }
    void SetName (const AAX_CString& newName) override { name = newName; }

    void AddShortenedName (const char* shortName) override
    {
        if (shortName != nullptr)
            shortenedNames.emplace_back (shortName);
    }

    const AAX_CString& ShortenedName (int32_t maxLength) const override
    {
        const auto limit = static_cast<uint32_t> (maxLength > 0 ? maxLength : 0);

        if (name.Length() <= limit)
            return name;

        const AAX_CString* best = nullptr;

        for (const auto& candidate : shortenedNames)
            if (candidate.Length() <= limit && (best == nullptr || candidate.Length() > best->Length()))
                best = &candidate;

        if (best != nullptr)
            return *best;

        cutName.Set (std::string (name.Get()).substr (0, limit).c_str());
        return cutName;
    }

    bool Automatable() const override { return automatable; }

    void SetAutomationDelegate (AAX_IAutomationDelegate* newDelegate) override
    {
        if (delegate != nullptr)
            delegate->UnregisterParameter (Identifier());

        delegate = newDelegate;

        if (delegate != nullptr)
            delegate->RegisterParameter (Identifier());
    }

    void Touch() override   { if (delegate != nullptr) delegate->PostTouchRequest (Identifier()); }
    void Release() override { if (delegate != nullptr) delegate->PostReleaseRequest (Identifier()); }

    void SetNormalizedValue (double normalizedValue) override
    {
        normalizedValue = Clamp (normalizedValue);

        if (automatable && delegate != nullptr
             && delegate->PostSetValueRequest (Identifier(), normalizedValue) == AAX_SUCCESS)
            return;

        UpdateNormalizedValue (normalizedValue);
    }

    void UpdateNormalizedValue (double normalizedValue) override
    {
        value = taper->NormalizedToReal (Clamp (normalizedValue));

        if (delegate != nullptr)
            delegate->PostCurrentValue (Identifier(), GetNormalizedValue());
    }

    double GetNormalizedValue() const override               { return taper->RealToNormalized (value); }
    void SetNormalizedDefaultValue (double normalized) override { defaultValue = taper->NormalizedToReal (Clamp (normalized)); }
    double GetNormalizedDefaultValue() const override        { return taper->RealToNormalized (defaultValue); }
    void SetToDefaultValue() override                        { SetNormalizedValue (GetNormalizedDefaultValue()); }

    void SetNumberOfSteps (uint32_t numSteps) override       { numberOfSteps = numSteps; }
    uint32_t GetNumberOfSteps() const override               { return numberOfSteps; }
    void SetType (AAX_EParameterType newType) override       { type = newType; }
    AAX_EParameterType GetType() const override              { return type; }
    void SetOrientation (AAX_EParameterOrientation o) override { orientation = o; }
    AAX_EParameterOrientation GetOrientation() const override { return orientation; }

    bool GetValueString (int32_t maxLength, AAX_CString* valueString) const override
    {
        return display->ValueToString (value, maxLength, valueString);
    }

    bool GetNormalizedValueString (double normalizedValue, int32_t maxLength, AAX_CString* valueString) const override
    {
        return display->ValueToString (taper->NormalizedToReal (Clamp (normalizedValue)), maxLength, valueString);
    }

    bool GetNormalizedValueFromString (const AAX_CString& valueString, double* normalizedValue) const override
    {
        T real {};

        if (normalizedValue == nullptr || ! display->StringToValue (valueString, &real))
            return false;

        *normalizedValue = taper->RealToNormalized (real);
        return true;
    }

    bool GetValueAsFloat (float* out) const override   { return GetTyped (out); }
    bool SetValueWithFloat (float in) override         { return SetTyped (in); }
    bool GetValueAsInt32 (int32_t* out) const override { return GetTyped (out); }
    bool SetValueWithInt32 (int32_t in) override       { return SetTyped (in); }
    bool GetValueAsBool (bool* out) const override     { return GetTyped (out); }
    bool SetValueWithBool (bool in) override           { return SetTyped (in); }
    bool GetValueAsDouble (double* out) const override { return GetTyped (out); }
    bool SetValueWithDouble (double in) override       { return SetTyped (in); }

private:
    static double Clamp (double v) { return v >= 0.0 ? (v > 1.0 ? 1.0 : v) : 0.0; } // NaN -> 0

    template <typename U>
    bool GetTyped (U* out) const
    {
        if constexpr (std::is_same<T, U>::value)
        {
            if (out == nullptr)
                return false;

            *out = value;
            return true;
        }
        else
        {
            (void) out;
            return false;
        }
    }

    template <typename U>
    bool SetTyped (U in)
    {
        if constexpr (std::is_same<T, U>::value)
        {
            SetNormalizedValue (taper->RealToNormalized (in));
            return true;
        }
        else
        {
            (void) in;
            return false;
        }
    }

    std::string id;
    AAX_CString name;
    std::vector<AAX_CString> shortenedNames;
    mutable AAX_CString cutName;
    std::unique_ptr<AAX_ITaperDelegate<T>> taper;
    std::unique_ptr<AAX_IDisplayDelegate<T>> display;
    T defaultValue, value;
    bool automatable;
    uint32_t numberOfSteps;
    AAX_EParameterType type;
    AAX_EParameterOrientation orientation = AAX_eParameterOrientation_Default;
    AAX_IAutomationDelegate* delegate = nullptr;
};
