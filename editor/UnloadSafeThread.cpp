#include "UnloadSafeThread.h"

#include <juce_core/juce_core.h>

#include <memory>

#if JUCE_WINDOWS
#include <windows.h>
#else
#include <dlfcn.h>
#include <pthread.h>
#include <system_error>
#include <thread>
#endif

#if JUCE_WINDOWS

namespace
{
struct Job
{
    std::function<void()> work;
    HMODULE library = nullptr;
};

DWORD WINAPI runJob (void* parameter)
{
    HMODULE library = nullptr;

    {
        const std::unique_ptr<Job> job (static_cast<Job*> (parameter));
        library = job->library;
        job->work();
    }

    // Drops our reference and ends the thread in one call that never returns
    // here: the library may be gone the moment the reference is.
    if (library != nullptr)
        FreeLibraryAndExitThread (library, 0);

    return 0;
}
} // namespace

bool UnloadSafeThread::start (std::function<void()> job)
{
    auto pending = std::make_unique<Job>();
    pending->work = std::move (job);

    // A reference of our own, taken before the thread exists, so the host's
    // FreeLibrary cannot unmap us while the thread runs.
    GetModuleHandleExW (GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                        reinterpret_cast<LPCWSTR> (&runJob),
                        &pending->library);

    const auto thread = CreateThread (nullptr, 0, runJob, pending.get(), 0, nullptr);

    if (thread == nullptr)
    {
        if (pending->library != nullptr)
            FreeLibrary (pending->library);

        return false;
    }

    pending.release();
    CloseHandle (thread);
    return true;
}

#else

namespace
{
// A reference to the shared object that holds this code; null when it is
// part of the program itself, which is never unloaded.
void* referenceOurLibrary()
{
    Dl_info info {};

    if (dladdr (reinterpret_cast<void*> (&referenceOurLibrary), &info) == 0 || info.dli_fname == nullptr)
        return nullptr;

    return dlopen (info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
}

// glibc runs thread-specific destructors after the thread function has
// returned, from its own code: with dlclose as the destructor, the last
// reference goes when nothing of ours is left on the thread's stack.
pthread_key_t releaseKey()
{
    static const pthread_key_t key = []
    {
        pthread_key_t k {};
        pthread_key_create (&k, reinterpret_cast<void (*) (void*)> (reinterpret_cast<void (*)()> (&dlclose)));
        return k;
    }();

    return key;
}
} // namespace

bool UnloadSafeThread::start (std::function<void()> job)
{
    void* const library = referenceOurLibrary();
    const auto key = releaseKey();

    try
    {
        std::thread ([job = std::move (job), library, key]
                     {
                         job();

                         // Should this fail, the reference is kept for good: a
                         // library that stays loaded is safe, an early release is not.
                         if (library != nullptr)
                             pthread_setspecific (key, library); })
            .detach();
    }
    catch (const std::system_error&)
    {
        // Still referenced by the host here, so this never unmaps us.
        if (library != nullptr)
            dlclose (library);

        return false;
    }

    return true;
}

#endif
