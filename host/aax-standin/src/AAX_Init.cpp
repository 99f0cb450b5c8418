#include "AAX_Init.h"

#include <exception>

#include "AAX_Assert.h"
#include "AAX_Exception.h"
#include "AAX_LiveObjects.h"
#include "AAX_VCollection.h"
#include "AAX_VHostServices.h"
#include "AAX_Version.h"

// The plug-in's description routine, defined by the plug-in itself.
AAX_Result GetEffectDescriptions (AAX_ICollection* collection);

ACFRESULT AAXStartup (IACFUnknown* host)
{
    AAX_VHostServices::Connect (host);
    return ACF_OK;
}

ACFRESULT AAXShutdown (IACFUnknown*)
{
    AAX_VHostServices::Disconnect();
    return ACF_OK;
}

ACFRESULT AAXRegisterPlugin (IACFUnknown* host, IACFPluginDefinition** pluginDefinition)
{
    if (pluginDefinition != nullptr)
        *pluginDefinition = nullptr;

    try
    {
        AAX_VCollection collection (host);

        AAX_CheckedResult result;
        result = GetEffectDescriptions (&collection);

        IACFUnknown* definition = collection.GetIUnknown();
        void* found = nullptr;

        if (definition == nullptr || pluginDefinition == nullptr
            || definition->QueryInterface (IID_IACFPluginDefinition, &found) != ACF_OK || found == nullptr)
            return AAX_ERROR_NULL_OBJECT;

        *pluginDefinition = static_cast<IACFPluginDefinition*> (found);
        return AAX_SUCCESS;
    }
    catch (const AAX::Exception::ResultError& e)
    {
        AAX_TRACE (AAX_eTracePriorityHost_Critical, "AAXRegisterPlugin exception caught: %s", e.What());
        return e.Result();
    }
    catch (const std::exception& e)
    {
        AAX_TRACE (AAX_eTracePriorityHost_Critical, "AAXRegisterPlugin exception caught: %s", e.what());
        return AAX_ERROR_UNKNOWN_EXCEPTION;
    }
    catch (...)
    {
        AAX_TRACE (AAX_eTracePriorityHost_Critical, "AAXRegisterPlugin exception caught: unknown");
        return AAX_ERROR_UNKNOWN_EXCEPTION;
    }
}

ACFRESULT AAXRegisterComponent (IACFUnknown*, const acfCLSID&, IACFComponentDefinition** componentDefinition)
{
    if (componentDefinition != nullptr)
        *componentDefinition = nullptr;

    return ACF_OK;
}

ACFRESULT AAXGetClassFactory (IACFUnknown*, const acfCLSID&, const acfIID&, void** classFactory)
{
    if (classFactory != nullptr)
        *classFactory = nullptr;

    return AAX_ERROR_UNIMPLEMENTED;
}

ACFRESULT AAXCanUnloadNow (IACFUnknown*)
{
    return AAX::LiveObjects();
}

ACFRESULT AAXGetSDKVersion (acfUInt64* version)
{
    if (version == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    *version = (static_cast<acfUInt64> (AAX_SDK_VERSION) << 32) | static_cast<acfUInt64> (AAX_SDK_CURRENT_REVISION);
    return ACF_OK;
}
