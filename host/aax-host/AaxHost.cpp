#include "AaxHost.h"

#include <chrono>
#include <cstdio>
#include <thread>
#include <stdexcept>

#if defined(_WIN32)
#include <windows.h>
#include <tlhelp32.h>
#else
#include <dirent.h>
#include <dlfcn.h>
#endif

#include "AAX_Enums.h"
#include "AAX_UIDs.h"

namespace
{
#if defined(_WIN32)
void* openLibrary (const std::string& path)
{
    return LoadLibraryA (path.c_str());
}
void* findSymbol (void* library, const char* name)
{
    return reinterpret_cast<void*> (GetProcAddress (static_cast<HMODULE> (library), name));
}
bool closeLibrary (void* library) { return FreeLibrary (static_cast<HMODULE> (library)) != 0; }

// The RPC runtime's worker, which OLE drag and drop (the framework's windows
// register for it) starts once and keeps for the life of the process: the
// system's, not background work of the plug-in.
bool isSystemRpcWorker (DWORD threadId)
{
    using QueryThread = LONG (WINAPI*) (HANDLE, int, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<QueryThread> (
        reinterpret_cast<void*> (GetProcAddress (GetModuleHandleA ("ntdll.dll"), "NtQueryInformationThread")));
    const auto rpc = GetModuleHandleA ("rpcrt4.dll");

    if (query == nullptr || rpc == nullptr)
        return false;

    const auto thread = OpenThread (THREAD_QUERY_INFORMATION, FALSE, threadId);

    if (thread == nullptr)
        return false;

    constexpr int threadQuerySetWin32StartAddress = 9;
    void* start = nullptr;
    HMODULE module = nullptr;
    const auto found = query (thread, threadQuerySetWin32StartAddress, &start, sizeof (start), nullptr) == 0
                       && GetModuleHandleExA (GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                              static_cast<LPCSTR> (start), &module);
    CloseHandle (thread);
    return found && module == rpc;
}

std::string lastLoadError()
{
    const auto code = GetLastError();
    char text[512] = {};
    FormatMessageA (FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof (text), nullptr);
    std::string message (text);

    while (! message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();

    return "error " + std::to_string (code) + (message.empty() ? "" : ": " + message);
}
#else
void* openLibrary (const std::string& path)
{
    return dlopen (path.c_str(), RTLD_NOW | RTLD_LOCAL);
}
void* findSymbol (void* library, const char* name) { return dlsym (library, name); }
bool closeLibrary (void* library) { return dlclose (library) == 0; }

std::string lastLoadError()
{
    const char* error = dlerror();
    return error != nullptr ? error : "unknown error";
}
#endif

template <typename Function>
bool resolve (void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function> (findSymbol (library, name));
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
    library = openLibrary (libraryPath);

    if (library == nullptr)
        return "cannot load " + libraryPath + ": " + lastLoadError();

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

bool AaxHost::unload()
{
    if (library == nullptr)
        return false;

    releaseDefinition();

#if defined(_WIN32)
    // Where the library lay, so that its place can be fenced off once it is gone.
    auto* base = static_cast<char*> (library);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*> (base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*> (base + dos->e_lfanew);
    const auto size = static_cast<SIZE_T> (nt->OptionalHeader.SizeOfImage);
#endif

    const auto closed = closeLibrary (library);
    library = nullptr;

#if defined(_WIN32)
    // Wine, like Windows, may leave the freed pages readable for a while, so
    // code that still runs there would seem to work; reserved without access,
    // any return into the library faults at once.
    unloadedRangeFenced = closed && VirtualAlloc (base, size, MEM_RESERVE, PAGE_NOACCESS) != nullptr;
#endif
    return closed;
}

bool AaxHost::isMapped (const std::string& libraryPath)
{
#if defined(_WIN32)
    return GetModuleHandleA (libraryPath.c_str()) != nullptr;
#else
    auto* handle = dlopen (libraryPath.c_str(), RTLD_NOW | RTLD_NOLOAD);

    if (handle != nullptr)
        dlclose (handle);

    return handle != nullptr;
#endif
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

#if defined(_WIN32)
    const auto snapshot = CreateToolhelp32Snapshot (TH32CS_SNAPTHREAD, 0);

    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;

    THREADENTRY32 entry {};
    entry.dwSize = sizeof (entry);

    for (auto more = Thread32First (snapshot, &entry); more; more = Thread32Next (snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId() && ! isSystemRpcWorker (entry.th32ThreadID))
            ++count;

    CloseHandle (snapshot);
#else
    if (DIR* tasks = opendir ("/proc/self/task"))
    {
        while (const dirent* entry = readdir (tasks))
            if (entry->d_name[0] != '.')
                ++count;

        closedir (tasks);
    }
#endif

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
