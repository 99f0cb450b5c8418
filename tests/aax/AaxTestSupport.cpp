#include "AaxTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace aaxtest
{
AaxHost& host()
{
    static AaxHost* instance = []
    {
        auto* h = new AaxHost(); // lives as long as the loaded library
        const auto error = h->load (libraryPath);

        if (! error.empty())
            throw std::runtime_error (error);

        h->startup();
        return h;
    }();

    return *instance;
}

const PluginDescription& description()
{
    static const PluginDescription described = []
    {
        // The host holds the definition, so the log stays.
        static DescriptionLog log;

        if (host().registerPlugin (&log) != 0)
            throw std::runtime_error ("ACFRegisterPlugin failed");

        return log.describe();
    }();

    return described;
}

const PluginDescription::Component& component (int channels)
{
    for (const auto& c : description().effects.at (0).components)
        if (static_cast<int> (AAX_STEM_FORMAT_CHANNEL_COUNT (c.inputStemFormat)) == channels)
            return c;

    throw std::runtime_error ("no component for " + std::to_string (channels) + " channels");
}

int run (const std::string& command, std::string* out)
{
    FILE* pipe = popen (command.c_str(), "r");

    if (pipe == nullptr)
        return -1;

    std::string text;
    char buffer[4096];

    while (const auto n = std::fread (buffer, 1, sizeof (buffer), pipe))
        text.append (buffer, n);

    const auto status = pclose (pipe);

    if (out != nullptr)
        *out = text;

    return WIFEXITED (status) ? WEXITSTATUS (status) : -1;
}

std::string tempPath (const std::string& name)
{
    return "/tmp/tolvo-aax-test-" + std::to_string (getpid()) + "-" + name;
}
} // namespace aaxtest
