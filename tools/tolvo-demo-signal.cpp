// tolvo-demo-signal: writes the embedded demo, a program-like stereo signal
// scaled to a peak of +8.0 dBFS, 8.1 dB over Tolvo's default ceiling.

#include "tools/ProgramSignal.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <cstdio>

int main (int argc, char* argv[])
{
    if (argc != 2)
    {
        std::fputs ("usage: tolvo-demo-signal OUT.wav\n", stderr);
        return 2;
    }

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

    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (juce::String::fromUTF8 (argv[1]));
    juce::TemporaryFile temp (file);
    {
        auto stream = temp.getFile().createOutputStream();
        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (
            stream != nullptr ? wav.createWriterFor (stream.get(), rate, 2, 32, {}, 0) : nullptr);
        if (writer == nullptr)
        {
            std::fprintf (stderr, "tolvo-demo-signal: cannot write %s\n", argv[1]);
            return 1;
        }
        static_cast<void> (stream.release()); // the writer owns it now
        writer->writeFromAudioSampleBuffer (audio, 0, frames);
    }

    if (! temp.overwriteTargetFileWithTemporary())
    {
        std::fprintf (stderr, "tolvo-demo-signal: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
