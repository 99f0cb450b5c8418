#include "RenderToolSupport.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

std::vector<char*> makeArgv (std::vector<std::string>& storage, const char* program, const juce::StringArray& args)
{
    storage = { program };
    for (const auto& a : args)
        storage.push_back (a.toStdString());
    std::vector<char*> argv;
    for (auto& s : storage)
        argv.push_back (s.data());
    argv.push_back (nullptr);
    return argv;
}

RenderRun runTool (const char* program, const juce::StringArray& args, long fileSizeLimit)
{
    std::vector<std::string> storage;
    auto argv = makeArgv (storage, program, args);

    const auto outFile = juce::File::createTempFile ("render-out"), errFile = juce::File::createTempFile ("render-err");
    const pid_t pid = ::fork();
    if (pid == 0)
    {
        const int out = ::open (outFile.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open (errFile.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2 (out, 1);
        ::dup2 (err, 2);
        if (fileSizeLimit >= 0)
        {
            const rlimit limit { (rlim_t) fileSizeLimit, (rlim_t) fileSizeLimit };
            ::setrlimit (RLIMIT_FSIZE, &limit);
        }
        ::execv (argv[0], argv.data());
        ::_exit (127);
    }

    RenderRun run;
    int status = 0;
    if (pid > 0 && ::waitpid (pid, &status, 0) == pid && WIFEXITED (status))
        run.exitCode = WEXITSTATUS (status);
    run.out = outFile.loadFileAsString();
    run.err = errFile.loadFileAsString();
    outFile.deleteFile();
    errFile.deleteFile();
    return run;
}

void writeAudio (const juce::File& file, const juce::AudioBuffer<float>& audio, double rate, int format)
{
    SF_INFO info {};
    info.samplerate = (int) rate;
    info.channels = audio.getNumChannels();
    info.format = format;
    SNDFILE* f = sf_open (file.getFullPathName().toRawUTF8(), SFM_WRITE, &info);
    ASSERT_NE (f, nullptr) << sf_strerror (nullptr);

    // PCM is rounded here, the same way for every format, so that files of
    // different formats hold exactly the same samples.
    const int subtype = format & SF_FORMAT_SUBMASK;
    const int bits = subtype == SF_FORMAT_PCM_16 ? 16 : subtype == SF_FORMAT_PCM_24 ? 24
                                                                                    : 0;
    const auto frames = audio.getNumSamples();
    std::vector<float> floats ((size_t) (frames * info.channels));
    std::vector<int> ints (floats.size());
    for (int i = 0; i < frames; ++i)
        for (int ch = 0; ch < info.channels; ++ch)
        {
            const auto k = (size_t) (i * info.channels + ch);
            floats[k] = audio.getSample (ch, i);
            if (bits > 0)
            {
                const double steps = std::ldexp (1.0, bits - 1);
                const double q = juce::jlimit (-steps, steps - 1.0, std::round (floats[k] * steps));
                ints[k] = (int) ((std::uint32_t) (std::int32_t) q << (32 - bits));
            }
        }
    EXPECT_EQ (bits > 0 ? sf_writef_int (f, ints.data(), frames) : sf_writef_float (f, floats.data(), frames), frames);
    sf_close (f);
}

AudioFile readAudio (const juce::File& file)
{
    SF_INFO info {};
    SNDFILE* f = sf_open (file.getFullPathName().toRawUTF8(), SFM_READ, &info);
    if (f == nullptr)
        return {};

    std::vector<float> interleaved ((size_t) (info.frames * info.channels));
    sf_readf_float (f, interleaved.data(), info.frames);
    sf_close (f);

    AudioFile result { juce::AudioBuffer<float> (info.channels, (int) info.frames), (double) info.samplerate, info.format };
    for (int i = 0; i < (int) info.frames; ++i)
        for (int ch = 0; ch < info.channels; ++ch)
            result.audio.setSample (ch, i, interleaved[(size_t) (i * info.channels + ch)]);
    return result;
}

juce::AudioBuffer<float> programSignal (int channels, int frames, float amplitude)
{
    juce::AudioBuffer<float> audio (channels, frames);
    juce::Random random (7);
    for (int ch = 0; ch < channels; ++ch)
        for (int i = 0; i < frames; ++i)
            audio.setSample (ch, i, amplitude * (0.7f * (float) std::sin (i * 0.013 + ch) + 0.3f * (random.nextFloat() * 2.0f - 1.0f)));
    return audio;
}
