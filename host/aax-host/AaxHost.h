// The stand-in host's side of one plug-in library: loads it, calls its ACF entry
// points and serves it as the host object (trace output, description log,
// stem-format support).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "AAX_IACFHostInterfaces.h"
#include "DescriptionLog.h"

class AaxHost : public AAX_IACFHostServices,
                public AAX_IACFDescriptionHost
{
public:
    AaxHost() = default;
    virtual ~AaxHost();

    AaxHost (const AaxHost&) = delete;
    AaxHost& operator= (const AaxHost&) = delete;

    // Empty string on success, else what went wrong.
    std::string load (const std::string& libraryPath);
    // Unloads the library at once (as a host may after closing the last window); true if it went.
    bool unload();
    // Whether the library is still in this process's memory.
    static bool isMapped (const std::string& libraryPath);
    // Windows: after unload, the library's address range is reserved without
    // access, so that anything left running there faults.
    bool unloadedRangeFenced = false;

    ACFRESULT startup();
    ACFRESULT shutdown();
    // Runs ACFRegisterPlugin with the given log (a fresh one when null).
    ACFRESULT registerPlugin (DescriptionLog* log = nullptr);
    ACFRESULT registerComponent (void** out);
    ACFRESULT getClassFactory (void** factory);
    ACFRESULT getSDKVersion (acfUInt64* version);
    ACFRESULT canUnloadNow();

    // The log of the last registerPlugin call that used the host's own log.
    DescriptionLog& log() { return *ownLog; }
    bool definitionReturned() const { return definition != nullptr; }
    // Gives back the definition of the last registration (before its log goes).
    void releaseDefinition();

    // Threads of this process. A plug-in's window may leave background work
    // running (its update check); a host waits for it before it exits.
    static int countThreads();
    static bool waitForThreads (int count, int timeoutMs);

    // Stem formats: unset means the host offers no description services.
    void offerStemFormatSupport (const std::map<int32_t, int32_t>& supportLevels);

    ACFRESULT QueryInterface (const acfIID& iid, void** out) override;
    acfUInt32 AddRef() override;
    acfUInt32 Release() override;

    ACFRESULT Trace (int32_t priority, const char* message) override;
    ACFRESULT HandleAssertFailure (const char* file, int32_t line, const char* note) override;

    int32_t FeatureSupportLevel (const acfUID& feature) override;
    bool FeatureProperty (const acfUID& feature, int32_t property, int32_t* value) override;

    std::vector<std::string> traces;
    bool throwOnQuery = false; // makes every QueryInterface throw, to test the exports' catch-all
    int references = 0;

private:
    IACFUnknown* unknown() { return static_cast<AAX_IACFHostServices*> (this); }

    void* library = nullptr;
    using UnknownCall = ACFRESULT (*) (IACFUnknown*);
    using RegisterPluginCall = ACFRESULT (*) (IACFUnknown*, IACFPluginDefinition**);
    using RegisterComponentCall = ACFRESULT (*) (IACFUnknown*, const acfCLSID&, IACFComponentDefinition**);
    using ClassFactoryCall = ACFRESULT (*) (IACFUnknown*, const acfCLSID&, const acfIID&, void**);
    using SdkVersionCall = ACFRESULT (*) (acfUInt64*);

    UnknownCall acfStartup = nullptr;
    UnknownCall acfShutdown = nullptr;
    RegisterPluginCall acfRegisterPlugin = nullptr;
    RegisterComponentCall acfRegisterComponent = nullptr;
    ClassFactoryCall acfGetClassFactory = nullptr;
    UnknownCall acfCanUnloadNow = nullptr;
    SdkVersionCall acfGetSDKVersion = nullptr;

    std::unique_ptr<DescriptionLog> ownLog = std::make_unique<DescriptionLog>();
    DescriptionLog* currentLog = nullptr;
    IACFPluginDefinition* definition = nullptr;
    bool hasStemSupport = false;
    std::map<int32_t, int32_t> stemSupport;
};
