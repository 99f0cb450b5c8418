#include "tools/render/TemporaryOutput.h"

#include "tools/render/FileError.h"
#include "tools/render/OutputTarget.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

#include <unistd.h>

#if ! defined(_WIN32)
#include <pthread.h>
#endif

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#endif

namespace
{
// A sound file and a picture per job are open at once at most, and a batch
// runs up to maximumThreads jobs; the signal handler removes whatever is
// listed here, so it needs no allocation. Threads claim slots without a lock,
// which a signal handler could not wait for.
constexpr int maximumOpen = 2 * TemporaryOutput::maximumThreads;
char openPaths[maximumOpen][4096];
volatile std::sig_atomic_t openUsed[maximumOpen];
std::atomic<bool> openClaimed[maximumOpen];

#if defined(_WIN32)
const int terminating[] = { SIGINT, SIGTERM };
#else
const int terminating[] = { SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE, SIGALRM, SIGUSR1, SIGUSR2, SIGXCPU, SIGVTALRM, SIGPROF };
#endif

extern "C" void removeOpenFilesAndStop (int signalNumber)
{
    for (int i = 0; i < maximumOpen; ++i)
        if (openUsed[i])
            ::unlink (openPaths[i]);

    std::signal (signalNumber, SIG_DFL);
    std::raise (signalNumber);
}

int remember (const std::string& path)
{
    for (int i = 0; i < maximumOpen; ++i)
        if (path.size() < sizeof (openPaths[i]) && ! openClaimed[i].exchange (true))
        {
            std::memcpy (openPaths[i], path.c_str(), path.size() + 1);
            openUsed[i] = 1;
            return i;
        }
    return -1;
}

void forget (int slot)
{
    if (slot < 0)
        return;
    openUsed[slot] = 0;
    openClaimed[slot].store (false);
}

std::string systemError() { return std::strerror (errno); }

// Where the last path separator stands, or npos.
std::string::size_type lastSeparator (const std::string& path)
{
#if defined(_WIN32)
    return path.find_last_of ("/\\");
#else
    return path.find_last_of ('/');
#endif
}

std::string parentOf (const std::string& path)
{
    const auto slash = lastSeparator (path);
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr (0, slash);
}

std::string leafOf (const std::string& path)
{
    const auto slash = lastSeparator (path);
    return slash == std::string::npos ? path : path.substr (slash + 1);
}

#if defined(_WIN32)
std::wstring wide (const std::string& utf8)
{
    const int n = MultiByteToWideChar (CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring w ((size_t) std::max (n, 1), L'\0');
    MultiByteToWideChar (CP_UTF8, 0, utf8.c_str(), -1, w.data(), n);
    w.resize (w.size() - 1);
    return w;
}
#endif
} // namespace

TemporaryOutput::SignalsHeld::SignalsHeld()
{
#if ! defined(_WIN32)
    sigset_t all;
    sigemptyset (&all);
    for (int s : terminating)
        sigaddset (&all, s);
    pthread_sigmask (SIG_BLOCK, &all, &before);
#endif
}

TemporaryOutput::SignalsHeld::~SignalsHeld()
{
#if ! defined(_WIN32)
    pthread_sigmask (SIG_SETMASK, &before, nullptr);
#endif
}

void TemporaryOutput::watchSignals()
{
    static const bool installed = []
    {
        for (int s : terminating)
        {
#if defined(_WIN32)
            if (std::signal (s, removeOpenFilesAndStop) == SIG_IGN)
                std::signal (s, SIG_IGN);
#else
            struct sigaction old
            {
            };
            // nohup and the like ignore a signal for us: it stays ignored.
            if (::sigaction (s, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
                continue;
            struct sigaction handler
            {
            };
            handler.sa_handler = removeOpenFilesAndStop;
            sigemptyset (&handler.sa_mask);
            for (int other : terminating)
                sigaddset (&handler.sa_mask, other);
            ::sigaction (s, &handler, nullptr);
#endif
        }
#if ! defined(_WIN32)
        // Past a file-size limit a write fails and is reported, rather than ending the program.
        std::signal (SIGXFSZ, SIG_IGN);
#endif
        return true;
    }();
    (void) installed;
}

TemporaryOutput::TemporaryOutput (const std::string& targetPath, const std::string& targetName) :
    target (targetPath), name (targetName)
{
    const auto dir = parentOf (target);
    if (! OutputTarget::isFolder (dir))
        throw FileError { "cannot write " + name + ": no folder " + dir };

    watchSignals();
    auto pattern = dir + "/." + leafOf (target) + ".tolvo-XXXXXX";
    {
        const SignalsHeld held;
        descriptor = ::mkstemp (pattern.data());
        if (descriptor < 0)
            throw FileError { "cannot write " + name + ": " + systemError() };
        temp = pattern;
        slot = remember (temp);
    }

#if defined(_WIN32)
    // Sound files are bytes: no line-end translation on the descriptor.
    ::_setmode (descriptor, _O_BINARY);
#else
    // mkstemp makes the file private; give it the permissions a new file gets.
    const auto mask = ::umask (0);
    ::umask (mask);
    ::fchmod (descriptor, 0666 & ~mask);
#endif
}

TemporaryOutput::~TemporaryOutput()
{
    const SignalsHeld held;
    if (descriptor >= 0)
        ::close (descriptor);
    if (! committed)
        ::unlink (temp.c_str());
    forget (slot);
}

int TemporaryOutput::takeDescriptor()
{
    const int fd = descriptor;
    descriptor = -1;
    return fd;
}

void TemporaryOutput::commit (bool replace)
{
    // What stands at the target now, not when the run began, is what counts.
    OutputTarget::checkReplaceable (target, name);
    if (! replace && OutputTarget::exists (target))
        throw FileError { name + " appeared while writing; not replaced (add --force)" };

    const SignalsHeld held;
#if defined(_WIN32)
    if (! MoveFileExW (wide (temp).c_str(), wide (target).c_str(), MOVEFILE_REPLACE_EXISTING))
        throw FileError { "cannot write " + name + ": error " + std::to_string (GetLastError()) };
#else
    if (std::rename (temp.c_str(), target.c_str()) != 0)
        throw FileError { "cannot write " + name + ": " + systemError() };
#endif
    committed = true;
    forget (slot);
    slot = -1;
}
