// Stand-in AAX layer: the library's side of the ACF entry points.
#pragma once

#include "AAX.h"

ACFRESULT AAXStartup (IACFUnknown* host);
ACFRESULT AAXShutdown (IACFUnknown* host);
ACFRESULT AAXRegisterPlugin (IACFUnknown* host, IACFPluginDefinition** pluginDefinition);
ACFRESULT AAXRegisterComponent (IACFUnknown* host, const acfCLSID& componentID, IACFComponentDefinition** componentDefinition);
ACFRESULT AAXGetClassFactory (IACFUnknown* host, const acfCLSID& classID, const acfIID& interfaceID, void** classFactory);
ACFRESULT AAXCanUnloadNow (IACFUnknown* host);
ACFRESULT AAXGetSDKVersion (acfUInt64* version);
