// Stand-in AAX layer: the owning string.
#pragma once

#include <string>

#include "AAX_IString.h"

class AAX_CString : public AAX_IString
{
public:
    AAX_CString() = default;
    explicit AAX_CString (const char* text) : value (text != nullptr ? text : "") {}

    uint32_t Length() const override     { return static_cast<uint32_t> (value.size()); }
    uint32_t MaxLength() const override  { return kMaxLength; }
    const char* Get() const override     { return value.c_str(); }
    void Set (const char* text) override { value = (text != nullptr ? text : ""); }

    bool operator== (const char* other) const  { return other != nullptr && value == other; }
    bool operator!= (const char* other) const  { return ! (*this == other); }
    bool operator== (const AAX_CString& other) const { return value == other.value; }
    bool operator!= (const AAX_CString& other) const { return value != other.value; }

    static constexpr uint32_t kMaxLength = 0xFFFF;

private:
    std::string value;
};
