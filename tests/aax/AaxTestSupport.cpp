#include "AaxTestSupport.h"

#include <sndfile.h>

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

bool writeWav (const std::string& path, const AudioData& audio)
{
    SF_INFO info {};
    info.samplerate = static_cast<int> (audio.sampleRate);
    info.channels = audio.numChannels();
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open (path.c_str(), SFM_WRITE, &info);
    if (file == nullptr)
        return false;
    std::vector<float> interleaved;
    for (size_t i = 0; i < audio.numFrames(); ++i)
        for (const auto& channel : audio.channels)
            interleaved.push_back (channel[i]);
    const auto frames = static_cast<sf_count_t> (audio.numFrames());
    const bool written = sf_writef_float (file, interleaved.data(), frames) == frames;
    return sf_close (file) == 0 && written;
}

AudioData readWav (const std::string& path)
{
    SF_INFO info {};
    SNDFILE* file = sf_open (path.c_str(), SFM_READ, &info);
    AudioData audio;
    if (file == nullptr)
        return audio;
    std::vector<float> interleaved (static_cast<size_t> (info.frames * info.channels));
    const auto got = sf_readf_float (file, interleaved.data(), info.frames);
    sf_close (file);
    audio.sampleRate = info.samplerate;
    audio.channels.assign (static_cast<size_t> (info.channels), std::vector<float> (static_cast<size_t> (got)));
    for (size_t i = 0; i < static_cast<size_t> (got); ++i)
        for (size_t c = 0; c < audio.channels.size(); ++c)
            audio.channels[c][i] = interleaved[i * audio.channels.size() + c];
    return audio;
}
} // namespace aaxtest
