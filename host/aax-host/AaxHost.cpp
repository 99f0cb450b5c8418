#include "AaxHost.h"

#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <dlfcn.h>
#include <thread>
#include <stdexcept>

#include "AAX_Enums.h"
#include "AAX_UIDs.h"

namespace
{
template <typename Function>
bool resolve (void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function> (dlsym (library, name));
    return function != nullptr;
}

constexpr acfCLSID noClass = { 0, 0, 0, { 0, 0, 0, 0, 0, 0, 0, 0 } };

// Written into out-parameters first, so a test sees whether the library cleared them.
template <typename T>
T* notYetWritten()
{
    return reinterpret_cast<T*> (static_cast<uintptr_t> (0x10)); // NOLINT(performance-no-int-to-ptr): a marker, never dereferenced
}
} // namespace

AaxHost::~AaxHost()
{
    // The library stays loaded: the framework inside it keeps process-wide state.
    releaseDefinition();
}

void AaxHost::releaseDefinition()
{
    if (definition != nullptr)
        definition->Release();

    definition = nullptr;
}

std::string AaxHost::load (const std::string& libraryPath)
{
    library = dlopen (libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);

    if (library == nullptr)
    {
        const char* error = dlerror();
        return "cannot load " + libraryPath + ": " + (error != nullptr ? error : "unknown error");
    }

    if (! (resolve (library, "ACFStartup", acfStartup)
           && resolve (library, "ACFShutdown", acfShutdown)
           && resolve (library, "ACFRegisterPlugin", acfRegisterPlugin)
           && resolve (library, "ACFRegisterComponent", acfRegisterComponent)
           && resolve (library, "ACFGetClassFactory", acfGetClassFactory)
           && resolve (library, "ACFCanUnloadNow", acfCanUnloadNow)
           && resolve (library, "ACFGetSDKVersion", acfGetSDKVersion)))
        return libraryPath + " lacks an ACF entry point";

    return {};
}

ACFRESULT AaxHost::startup() { return acfStartup (unknown()); }
ACFRESULT AaxHost::shutdown() { return acfShutdown (unknown()); }

ACFRESULT AaxHost::registerPlugin (DescriptionLog* log)
{
    if (log == nullptr)
    {
        ownLog = std::make_unique<DescriptionLog>();
        log = ownLog.get();
    }

    releaseDefinition();
    currentLog = log;
    const auto result = acfRegisterPlugin (unknown(), &definition);
    currentLog = nullptr;
    return result;
}

ACFRESULT AaxHost::registerComponent (void** out)
{
    auto* componentDefinition = notYetWritten<IACFComponentDefinition>();
    const auto result = acfRegisterComponent (unknown(), noClass, &componentDefinition);
    *out = componentDefinition;
    return result;
}

ACFRESULT AaxHost::getClassFactory (void** factory)
{
    *factory = notYetWritten<void>();
    return acfGetClassFactory (unknown(), noClass, noClass, factory);
}

ACFRESULT AaxHost::getSDKVersion (acfUInt64* version) { return acfGetSDKVersion (version); }
ACFRESULT AaxHost::canUnloadNow() { return acfCanUnloadNow (unknown()); }

void AaxHost::offerStemFormatSupport (const std::map<int32_t, int32_t>& supportLevels)
{
    hasStemSupport = true;
    stemSupport = supportLevels;
}

ACFRESULT AaxHost::QueryInterface (const acfIID& iid, void** out)
{
    if (throwOnQuery)
        throw std::runtime_error ("host object is gone");

    if (out == nullptr)
        return ACF_E_NOINTERFACE;

    *out = nullptr;

    if (iid == IID_IAAXHostServicesV1)
        *out = static_cast<AAX_IACFHostServices*> (this);
    else if (iid == IID_IAAXDescriptionHostV1 && hasStemSupport)
        *out = static_cast<AAX_IACFDescriptionHost*> (this);
    else if (currentLog != nullptr && (iid == IID_IAAXDescriptionLogV1 || iid == IID_IACFPluginDefinition))
        return currentLog->QueryInterface (iid, out);
    else
        return ACF_E_NOINTERFACE;

    AddRef();
    return ACF_OK;
}

acfUInt32 AaxHost::AddRef() { return static_cast<acfUInt32> (++references); }
acfUInt32 AaxHost::Release() { return static_cast<acfUInt32> (--references); }

ACFRESULT AaxHost::Trace (int32_t, const char* message)
{
    traces.emplace_back (message != nullptr ? message : "");
    return ACF_OK;
}

ACFRESULT AaxHost::HandleAssertFailure (const char* file, int32_t line, const char* note)
{
    return Trace (0, (std::string ("assertion failed: ") + (note != nullptr ? note : "") + " at "
                      + (file != nullptr ? file : "?") + ":" + std::to_string (line))
                         .c_str());
}

int32_t AaxHost::FeatureSupportLevel (const acfUID& feature)
{
    return feature == AAXATTR_ClientFeature_StemFormat ? AAX_eSupportLevel_ByProperty : -1;
}

bool AaxHost::FeatureProperty (const acfUID& feature, int32_t property, int32_t* value)
{
    if (! (feature == AAXATTR_ClientFeature_StemFormat) || value == nullptr)
        return false;

    const auto found = stemSupport.find (property);

    if (found == stemSupport.end())
        return false;

    *value = found->second;
    return true;
}

int AaxHost::countThreads()
{
    // Some runtimes (ThreadSanitizer's, for one) add a helper thread of their
    // own with the first thread a process starts; start one first so that
    // helper is in every count.
    static const bool runtimeHelpersStarted = []
    {
        std::thread ([] {}).join();
        return true;
    }();
    (void) runtimeHelpersStarted;

    int count = 0;

    if (DIR* tasks = opendir ("/proc/self/task"))
    {
        while (const dirent* entry = readdir (tasks))
            if (entry->d_name[0] != '.')
                ++count;

        closedir (tasks);
    }

    return count;
}

bool AaxHost::waitForThreads (int count, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds (timeoutMs);

    while (countThreads() > count)
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;

        std::this_thread::sleep_for (std::chrono::milliseconds (10));
    }

    return true;
}
