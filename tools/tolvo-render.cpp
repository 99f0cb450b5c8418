// tolvo-render: runs a WAV file through the Tolvo processor as a host would.

#include "processor/BlockSize.h"
#include "processor/TolvoAudioProcessor.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <cstdio>
#include <optional>

namespace
{
const char* const usage =
    "usage: tolvo-render [--level DB] [--disable] [--block N] [--keep-latency] IN.wav OUT.wav\n"
    "  --level DB       ceiling in dB, -6.0 to 0.0 (default -0.1)\n"
    "  --disable        switch Enable off (the file passes unchanged)\n"
    "  --block N        frames per block, 1 to 65536 (default 512)\n"
    "  --keep-latency   keep the 30 ms look-ahead delay in the output\n";

struct Options
{
    double levelDb = -0.1;
    bool enable = true;
    int blockSize = 512;
    bool keepLatency = false;
    juce::String input;
    juce::String output;
};

struct Failure
{
    juce::String message;
};

std::optional<double> parseNumber (const juce::String& text)
{
    const auto trimmed = text.trim();
    if (trimmed.isEmpty() || ! trimmed.containsOnly ("+-.0123456789eE"))
        return std::nullopt;

    return trimmed.getDoubleValue();
}

Options parseArguments (const juce::StringArray& args)
{
    Options options;
    juce::StringArray files;

    for (int i = 0; i < args.size(); ++i)
    {
        const auto& arg = args[i];

        auto value = [&]() -> juce::String
        {
            if (i + 1 >= args.size())
                throw Failure { arg + " needs a value" };
            return args[++i];
        };

        if (arg == "--level")
        {
            const auto text = value();
            const auto level = parseNumber (text);
            if (! level || ! (*level >= -6.0 && *level <= 0.0))
                throw Failure { "--level must be a number from -6.0 to 0.0, not '" + text + "'" };
            options.levelDb = *level;
        }
        else if (arg == "--block")
        {
            const auto text = value();
            if (! text.containsOnly ("0123456789") || text.isEmpty() || text.length() > 7
                || text.getIntValue() < 1 || text.getIntValue() > maximumBlockSize)
                throw Failure { "--block must be a whole number from 1 to " + juce::String (maximumBlockSize) + ", not '" + text + "'" };
            options.blockSize = text.getIntValue();
        }
        else if (arg == "--disable")
        {
            options.enable = false;
        }
        else if (arg == "--keep-latency")
        {
            options.keepLatency = true;
        }
        else if (arg.startsWith ("--") || arg == "-h")
        {
            throw Failure { arg == "--help" || arg == "-h" ? juce::String() : "unknown option " + arg };
        }
        else
        {
            files.add (arg);
        }
    }

    if (files.size() != 2)
        throw Failure { "expected an input and an output file" };

    options.input = files[0];
    options.output = files[1];
    return options;
}

juce::File resolve (const juce::String& path)
{
    return juce::File::getCurrentWorkingDirectory().getChildFile (path);
}

juce::String decibels (float peak)
{
    return peak > 0.0f ? juce::String (juce::Decibels::gainToDecibels (peak, -300.0f), 2) + " dBFS" : "silent";
}

int render (const Options& options)
{
    const auto inFile = resolve (options.input);
    const auto outFile = resolve (options.output);

    if (! inFile.existsAsFile())
        throw Failure { "cannot read " + options.input + ": no such file" };

    juce::WavAudioFormat wav;
    auto stream = inFile.createInputStream();
    if (stream == nullptr)
        throw Failure { "cannot read " + options.input };

    std::unique_ptr<juce::AudioFormatReader> reader (wav.createReaderFor (stream.release(), true));
    if (reader == nullptr)
        throw Failure { options.input + " is not a WAV audio file" };

    const int channels = (int) reader->numChannels;
    const double sampleRate = reader->sampleRate;
    const auto totalFrames = reader->lengthInSamples;

    if (channels < 1 || channels > 2)
        throw Failure { options.input + " has " + juce::String (channels) + " channels; Tolvo takes mono or stereo" };
    if (! (sampleRate > 0.0) || totalFrames < 0)
        throw Failure { options.input + " has no usable sample rate or length" };

    TolvoAudioProcessor processor;
    const auto set = channels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (set);
    layout.outputBuses.add (set);
    if (! processor.setBusesLayout (layout))
        throw Failure { "the processor refused a " + set.getDescription() + " layout" };

    processor.setRateAndBufferSizeDetails (sampleRate, options.blockSize);
    processor.prepareToPlay (sampleRate, options.blockSize);
    // Setting a value snaps it to the parameter's steps; leave the default
    // alone so that the default renders exactly as in a host.
    if ((float) options.levelDb != processor.levelParam->get())
        processor.levelParam->setValueNotifyingHost (processor.levelParam->convertTo0to1 ((float) options.levelDb));
    processor.enableParam->setValueNotifyingHost (options.enable ? 1.0f : 0.0f);

    // With Enable off the audio is not delayed, whatever the reported latency.
    const int latency = processor.getLatencySamples();
    const juce::int64 delay = options.enable ? latency : 0;
    const juce::int64 skip = options.keepLatency ? 0 : delay;

    // Written beside the target and moved over it only when complete.
    juce::TemporaryFile temp (outFile);
    {
        auto outStream = temp.getFile().createOutputStream();
        if (outStream == nullptr)
            throw Failure { "cannot write " + options.output };

        std::unique_ptr<juce::AudioFormatWriter> writer (
            wav.createWriterFor (outStream.get(), sampleRate, (unsigned int) channels, 32, {}, 0));
        if (writer == nullptr)
            throw Failure { "cannot write a WAV file at " + juce::String (sampleRate) + " Hz" };
        outStream.release(); // the writer owns it now

        juce::AudioBuffer<float> block (channels, options.blockSize);
        juce::MidiBuffer midi;
        float inPeak = 0.0f, outPeak = 0.0f;
        juce::int64 readPos = 0, produced = 0, written = 0;

        while (written < totalFrames)
        {
            const int n = options.blockSize;
            block.setSize (channels, n, false, false, true);
            block.clear();

            const auto available = juce::jlimit<juce::int64> (0, n, totalFrames - readPos);
            if (available > 0 && ! reader->read (&block, 0, (int) available, readPos, true, true))
                throw Failure { "cannot read audio from " + options.input };
            readPos += available;

            for (int ch = 0; ch < channels; ++ch)
                inPeak = juce::jmax (inPeak, block.getMagnitude (ch, 0, (int) available));

            processor.processBlock (block, midi);

            // Drop the first `skip` frames so the output lines up with the input.
            const auto from = juce::jlimit<juce::int64> (0, n, skip - produced);
            produced += n;
            const auto count = juce::jmin<juce::int64> (n - from, totalFrames - written);

            if (count > 0)
            {
                for (int ch = 0; ch < channels; ++ch)
                    outPeak = juce::jmax (outPeak, block.getMagnitude (ch, (int) from, (int) count));

                if (! writer->writeFromAudioSampleBuffer (block, (int) from, (int) count))
                    throw Failure { "cannot write " + options.output };
                written += count;
            }
        }

        if (! writer->flush())
            throw Failure { "cannot write " + options.output };
        writer.reset();

        std::printf ("%s -> %s\n", options.input.toRawUTF8(), options.output.toRawUTF8());
        std::printf ("  %lld frames at %g Hz, %d channel%s, Level %.2f dB, Enable %s\n",
                     (long long) totalFrames, sampleRate, channels, channels == 1 ? "" : "s",
                     (double) processor.levelParam->get(), options.enable ? "on" : "off");
        std::printf ("  input peak  %s\n  output peak %s\n", decibels (inPeak).toRawUTF8(),
                     decibels (outPeak).toRawUTF8());
        std::printf ("  latency %d samples (%.1f ms), %s\n", latency, 1000.0 * latency / sampleRate,
                     options.keepLatency ? "kept in the output" : "taken out");
    }

    if (! temp.overwriteTargetFileWithTemporary())
        throw Failure { "cannot write " + options.output };

    processor.releaseResources();
    return 0;
}
} // namespace

int main (int argc, char* argv[])
{
    juce::ScopedJuceInitialiser_GUI juceInit;
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (juce::String::fromUTF8 (argv[i]));

    try
    {
        return render (parseArguments (args));
    }
    catch (const Failure& failure)
    {
        if (failure.message.isEmpty())
        {
            std::fputs (usage, stdout);
            return 0;
        }

        std::fprintf (stderr, "tolvo-render: %s (see --help)\n", failure.message.toRawUTF8());
        return 2;
    }
    catch (const std::exception& e)
    {
        std::fprintf (stderr, "tolvo-render: %s\n", e.what());
        return 1;
    }
}
