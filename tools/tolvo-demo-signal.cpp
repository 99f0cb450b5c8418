// tolvo-demo-signal: writes the embedded demo, a program-like stereo signal
// scaled to a peak of +8.0 dBFS, 8.1 dB over Tolvo's default ceiling. Its
// output follows the same file rules as tolvo-render's.

#include "tools/ProgramSignal.h"
#include "tools/render/AudioFileWriter.h"
#include "tools/render/CommandLine.h"
#include "tools/render/FileError.h"
#include "tools/render/OutputTarget.h"
#include "tools/render/RenderError.h"

#include <cstdio>

namespace
{
int fail (const juce::String& message, int status)
{
    std::fprintf (stderr, "tolvo-demo-signal: %s\n", message.toRawUTF8());
    return status;
}
} // namespace

int main (int argc, char* argv[]) // NOLINT(bugprone-exception-escape): CLI11 throws there only for a wrong declaration, never for a command line
{
    bool force = false;
    std::string out;
    CLI::App app ("", "tolvo-demo-signal");
    CommandLine::setUsage (app, "usage: tolvo-demo-signal [--force] OUT.wav\n");
    app.footer ("Exit status: 0 written, 1 not written, 2 the command line is wrong.");
    app.add_flag ("--force", force, "replace OUT if it is an existing regular file");
    app.add_option ("OUT", out)->required();
    if (const auto status = CommandLine::parse (app, argc, argv))
        return *status;
    const auto name = juce::String::fromUTF8 (out.c_str());

    constexpr double rate = 48000.0;
    constexpr int frames = 10 * 48000;
    constexpr double peakDb = 8.0; // over 0 dBFS, so 8.1 dB over the -0.1 dB ceiling

    const std::vector<double> channels[] = { makeProgramSignal (frames, rate, 0), makeProgramSignal (frames, rate, 1) };

    double peak = 0.0;
    for (const auto& c : channels)
        for (double x : c)
            peak = std::max (peak, std::abs (x));

    const double gain = std::pow (10.0, peakDb / 20.0) / peak;
    juce::AudioBuffer<float> audio (2, frames);
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < frames; ++i)
            audio.setSample (ch, i, (float) (channels[ch][(size_t) i] * gain));

    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (name);
    try
    {
        OutputTarget::check (file.getFullPathName().toStdString(), name.toStdString(), {}, force);
        AudioFileWriter writer (file, name, 2, rate, OutputBits::float32, frames);
        writer.write (audio, 0, frames);
        writer.commit (force);
    }
    catch (const RenderError& e)
    {
        return fail (e.message, 1);
    }
    catch (const FileError& e)
    {
        return fail (juce::String::fromUTF8 (e.message.c_str()), 1);
    }
    return 0;
}
