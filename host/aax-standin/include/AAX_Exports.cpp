// Stand-in AAX layer: the seven ACF entry points. Included once into the plug-in's
// translation unit, like the SDK's own file. An exception that escapes the library
// becomes ACF_E_UNEXPECTED (0x8000FFFF).
#include "AAX_Init.h"

#if defined (_WIN32)
 #define AAX_EXPORT_ACF extern "C"
#else
 #define AAX_EXPORT_ACF extern "C" __attribute__ ((visibility ("default")))
#endif

AAX_EXPORT_ACF ACFRESULT ACFRegisterPlugin (IACFUnknown* pUnkHost, IACFPluginDefinition** ppPluginDefinition);
AAX_EXPORT_ACF ACFRESULT ACFRegisterComponent (IACFUnknown* pUnkHost, const acfCLSID& clsid, IACFComponentDefinition** ppComponentDefinition);
AAX_EXPORT_ACF ACFRESULT ACFGetClassFactory (IACFUnknown* pUnkHost, const acfCLSID& clsid, const acfIID& iid, void** ppOut);
AAX_EXPORT_ACF ACFRESULT ACFCanUnloadNow (IACFUnknown* pUnkHost);
AAX_EXPORT_ACF ACFRESULT ACFStartup (IACFUnknown* pUnkHost);
AAX_EXPORT_ACF ACFRESULT ACFShutdown (IACFUnknown* pUnkHost);
AAX_EXPORT_ACF ACFRESULT ACFGetSDKVersion (acfUInt64* oSDKVersion);

ACFRESULT ACFRegisterPlugin (IACFUnknown* pUnkHost, IACFPluginDefinition** ppPluginDefinition)
{
    try { return AAXRegisterPlugin (pUnkHost, ppPluginDefinition); }
    catch (...) { return ACF_E_UNEXPECTED; }
}

ACFRESULT ACFRegisterComponent (IACFUnknown* pUnkHost, const acfCLSID& clsid, IACFComponentDefinition** ppComponentDefinition)
{
    try { return AAXRegisterComponent (pUnkHost, clsid, ppComponentDefinition); }
    catch (...) { return ACF_E_UNEXPECTED; }
}

ACFRESULT ACFGetClassFactory (IACFUnknown* pUnkHost, const acfCLSID& clsid, const acfIID& iid, void** ppOut)
{
    try { return AAXGetClassFactory (pUnkHost, clsid, iid, ppOut); }
    catch (...) { return ACF_E_UNEXPECTED; }
}

ACFRESULT ACFCanUnloadNow (IACFUnknown* pUnkHost)
{
    try { return AAXCanUnloadNow (pUnkHost); }
    catch (...) { return ACF_E_UNEXPECTED; }
}

ACFRESULT ACFStartup (IACFUnknown* pUnkHost)
{
    try { return AAXStartup (pUnkHost); }
    catch (...) { return ACF_E_UNEXPECTED; }
}

ACFRESULT ACFShutdown (IACFUnknown* pUnkHost)
{
    try { return AAXShutdown (pUnkHost); }
    catch (...) { return ACF_E_UNEXPECTED; }
}

ACFRESULT ACFGetSDKVersion (acfUInt64* oSDKVersion)
{
    try { return AAXGetSDKVersion (oSDKVersion); }
    catch (...) { return ACF_E_UNEXPECTED; }
}
