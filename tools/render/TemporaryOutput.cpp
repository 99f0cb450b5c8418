#include "tools/render/TemporaryOutput.h"

#include "tools/render/RenderError.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if JUCE_WINDOWS
#include <io.h>
#endif

namespace
{
// At most a sound file and a picture are open at once; the signal handler
// removes whatever is listed here.
constexpr int maximumOpen = 4;
char openPaths[maximumOpen][4096];
volatile std::sig_atomic_t openUsed[maximumOpen];

extern "C" void removeOpenFilesAndStop (int signalNumber)
{
    for (int i = 0; i < maximumOpen; ++i)
        if (openUsed[i])
            ::unlink (openPaths[i]);

    std::signal (signalNumber, SIG_DFL);
    std::raise (signalNumber);
}

void watchSignalsOnce()
{
    static const bool installed = []
    {
#if JUCE_WINDOWS
        for (int s : { SIGINT, SIGTERM })
#else
        for (int s : { SIGINT, SIGTERM, SIGHUP, SIGPIPE })
#endif
            std::signal (s, removeOpenFilesAndStop);
        return true;
    }();
    (void) installed;
}

int remember (const juce::File& file)
{
    const auto& path = file.getFullPathName();
    for (int i = 0; i < maximumOpen; ++i)
        if (! openUsed[i] && (size_t) path.getNumBytesAsUTF8() < sizeof (openPaths[i]))
        {
            std::strcpy (openPaths[i], path.toRawUTF8());
            openUsed[i] = 1;
            return i;
        }
    return -1;
}

void forget (const juce::File& file)
{
    for (int i = 0; i < maximumOpen; ++i)
        if (openUsed[i] && file.getFullPathName() == openPaths[i])
            openUsed[i] = 0;
}

juce::String systemError() { return std::strerror (errno); }
} // namespace

TemporaryOutput::TemporaryOutput (const juce::File& targetFile, const juce::String& targetName) :
    target (targetFile), name (targetName)
{
    const auto dir = target.getParentDirectory();
    if (! dir.isDirectory())
        throw RenderError { "cannot write " + name + ": no folder " + dir.getFullPathName() };

    watchSignalsOnce();
    auto pattern = dir.getChildFile ("." + target.getFileName() + ".tolvo-XXXXXX").getFullPathName().toStdString();
    descriptor = ::mkstemp (pattern.data());
    if (descriptor < 0)
        throw RenderError { "cannot write " + name + ": " + systemError() };
    temp = juce::File (juce::String (pattern));
    remember (temp);

#if JUCE_WINDOWS
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
    if (descriptor >= 0)
        ::close (descriptor);
    if (! committed)
        temp.deleteFile();
    forget (temp);
}

int TemporaryOutput::takeDescriptor()
{
    const int fd = descriptor;
    descriptor = -1;
    return fd;
}

void TemporaryOutput::commit (bool replace)
{
    if (! replace && target.exists())
        throw RenderError { name + " appeared while rendering; not replaced (add --force)" };
#if JUCE_WINDOWS
    // Windows renames onto an existing file only through the framework's replacing move.
    if (! temp.moveFileTo (target))
        throw RenderError { "cannot write " + name };
#else
    if (std::rename (temp.getFullPathName().toRawUTF8(), target.getFullPathName().toRawUTF8()) != 0)
        throw RenderError { "cannot write " + name + ": " + systemError() };
#endif
    committed = true;
}
