// Stand-in ACF base types: the binary boundary between a host and a plug-in library.
#pragma once

#include <cstdint>

typedef int32_t  ACFRESULT;
typedef uint64_t acfUInt64;
typedef uint32_t acfUInt32;

#define ACF_OK             static_cast<ACFRESULT> (0)
#define ACF_E_NOINTERFACE  static_cast<ACFRESULT> (0x80004002u)
#define ACF_E_UNEXPECTED   static_cast<ACFRESULT> (0x8000FFFFu)

struct acfUID
{
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t  Data4[8];
};

typedef acfUID acfIID;
typedef acfUID acfCLSID;

inline bool operator== (const acfUID& a, const acfUID& b) noexcept
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;

    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i])
            return false;

    return true;
}

inline bool operator!= (const acfUID& a, const acfUID& b) noexcept { return ! (a == b); }

// Reference-counted object with interface lookup.
class IACFUnknown
{
public:
    virtual ACFRESULT QueryInterface (const acfIID& iid, void** outInterface) = 0;
    virtual acfUInt32 AddRef() = 0;
    virtual acfUInt32 Release() = 0;

protected:
    ~IACFUnknown() = default;
};

class IACFPluginDefinition : public IACFUnknown
{
protected:
    ~IACFPluginDefinition() = default;
};

class IACFComponentDefinition : public IACFUnknown
{
protected:
    ~IACFComponentDefinition() = default;
};
