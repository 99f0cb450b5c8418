#include "tools/render/RenderOptions.h"

#include "processor/BlockSize.h"
#include "processor/TolvoParameters.h"
#include "tools/render/RenderError.h"
#include "tools/render/StrictNumber.h"
#include "tools/render/TemporaryOutput.h"

#include <functional>
#include <thread>

namespace
{
juce::File resolve (const juce::String& path)
{
    return juce::File::getCurrentWorkingDirectory().getChildFile (path);
}

juce::String joinPath (const juce::String& dir, const juce::String& name)
{
    return dir.endsWithChar ('/') ? dir + name : dir + "/" + name;
}
} // namespace

const char* RenderOptions::usage()
{
    return "usage: tolvo-render [options] IN OUT\n"
           "       tolvo-render [options] IN... -o DIR\n"
           "       tolvo-render [options] --no-output IN...\n"
           "  --level DB         ceiling in dB, -6.0 to 0.0 (default -0.1)\n"
           "  --disable          switch Enable off (the file passes unchanged)\n"
           "  --block N          frames per block, 1 to 65536 (default 512)\n"
           "  --keep-latency     keep the 30 ms look-ahead delay; the output is longer by it\n"
           "  --bits 16|24|32f   output samples: 16 or 24-bit PCM with TPDF dither, or\n"
           "                     32-bit float (default 32f)\n"
           "  -o DIR             render every IN into DIR under its own name\n"
           "  --force            replace output files that already exist (regular files only)\n"
           "  --no-output        write no audio, only report (and --plot)\n"
           "  --allow-truncated  render what is there of a file cut short\n"
           "  --json             print the report as JSON\n"
           "  --plot FILE.png    draw input, output and gain reduction (one IN only)\n"
           "  -q, --quiet        no progress bar and no text report\n"
           "  -j N               render up to N files at once, 1 to 64 (default: the\n"
           "                     number of cores)\n"
           "Output format follows OUT's name: .aif/.aiff/.aifc AIFF, .flac FLAC (16 or\n"
           "24 bits), anything else WAV (RF64 past 4 GB).\n"
           "Exit status: 0 all rendered, 1 a file failed, 2 the command line is wrong.\n";
}

namespace
{
// A whole number from 1 to `most`, or the usage error for `option`.
int wholeNumber (const juce::String& option, const juce::String& text, int most)
{
    if (! text.containsOnly ("0123456789") || text.isEmpty() || text.length() > 7 || text.getIntValue() < 1 || text.getIntValue() > most)
        throw UsageError { option + " must be a whole number from 1 to " + juce::String (most) + ", not '" + text + "'" };
    return text.getIntValue();
}

double level (const juce::String& text)
{
    const auto value = parseStrictNumber (text.toStdString());
    if (! value || ! (*value >= TolvoParameters::levelMinimumDb && *value <= TolvoParameters::levelMaximumDb))
        throw UsageError { "--level must be a number from " + juce::String (TolvoParameters::levelMinimumDb, 1) + " to "
                           + juce::String (TolvoParameters::levelMaximumDb, 1) + ", not '" + text + "'" };
    return *value;
}

OutputBits bits (const juce::String& text)
{
    if (text == "16")
        return OutputBits::int16;
    if (text == "24")
        return OutputBits::int24;
    if (text == "32f")
        return OutputBits::float32;
    throw UsageError { "--bits must be 16, 24 or 32f, not '" + text + "'" };
}

// A switch that takes no value; false if `arg` is none.
bool readSwitch (RenderOptions& options, const juce::String& arg)
{
    bool* const flag = arg == "--keep-latency"           ? &options.keepLatency
                       : arg == "--no-output"            ? &options.noOutput
                       : arg == "--force"                ? &options.force
                       : arg == "--allow-truncated"      ? &options.allowTruncated
                       : arg == "--json"                 ? &options.json
                       : arg == "-q" || arg == "--quiet" ? &options.quiet
                                                         : nullptr;
    if (flag != nullptr)
        *flag = true;
    else if (arg == "--disable")
        options.enable = false;
    else if (arg == "--help" || arg == "-h")
        throw UsageError {};
    else
        return false;
    return true;
}

// An option with a value; false if `arg` is none. `value` takes the next argument.
bool readValue (RenderOptions& options, const juce::String& arg, const std::function<juce::String()>& value, juce::String& directory)
{
    if (arg == "--level")
        options.levelDb = level (value());
    else if (arg == "--block")
        options.blockSize = wholeNumber (arg, value(), maximumBlockSize);
    else if (arg == "-j")
        options.threads = wholeNumber (arg, value(), TemporaryOutput::maximumThreads);
    else if (arg == "--bits")
        options.bits = bits (value());
    else if (arg == "--plot")
    {
        options.plotName = value();
        if (options.plotName.isEmpty())
            throw UsageError { "--plot needs a file name" };
        options.plot = resolve (options.plotName);
    }
    else if (arg == "-o")
    {
        directory = value();
        if (directory.isEmpty())
            throw UsageError { "-o needs a folder" };
    }
    else
        return false;
    return true;
}

// The jobs the files and the folder ask for.
void addJobs (RenderOptions& options, juce::StringArray files, juce::String directory)
{
    // "IN OUT" where OUT is a folder means the same as "IN -o OUT".
    if (! options.noOutput && directory.isEmpty() && files.size() == 2 && resolve (files[1]).isDirectory())
    {
        directory = files[1];
        files.remove (1);
    }

    if (options.noOutput)
    {
        if (directory.isNotEmpty())
            throw UsageError { "--no-output writes nothing; -o has no use with it" };
        if (files.isEmpty())
            throw UsageError { "expected at least one input" };
        for (const auto& name : files)
            options.jobs.push_back ({ resolve (name), {}, name, {} });
    }
    else if (directory.isNotEmpty())
    {
        if (files.isEmpty())
            throw UsageError { "expected at least one input before -o " + directory };
        if (resolve (directory).existsAsFile())
            throw UsageError { "-o needs a folder, and " + directory + " is a file" };
        options.outputDirectory = resolve (directory);
        options.outputDirectoryName = directory;

        for (const auto& name : files)
        {
            const auto leaf = resolve (name).getFileName();
            options.jobs.push_back ({ resolve (name), resolve (directory).getChildFile (leaf), name, joinPath (directory, leaf) });
        }
    }
    else
    {
        if (files.size() != 2)
            throw UsageError { "expected an input and an output file, or inputs and -o DIR" };
        options.jobs.push_back ({ resolve (files[0]), resolve (files[1]), files[0], files[1] });
    }
}
} // namespace

RenderOptions RenderOptions::parse (const juce::StringArray& args)
{
    RenderOptions options;
    options.threads = juce::jlimit (1, TemporaryOutput::maximumThreads, (int) std::thread::hardware_concurrency());
    juce::StringArray files;
    juce::String directory;

    for (int i = 0; i < args.size(); ++i)
    {
        const auto& arg = args[i];
        const auto value = [&]() -> juce::String
        {
            if (i + 1 >= args.size())
                throw UsageError { arg + " needs a value" };
            return args[++i];
        };

        if (readSwitch (options, arg) || readValue (options, arg, value, directory))
            continue;
        if (arg.startsWith ("-") && arg != "-")
            throw UsageError { "unknown option " + arg };
        files.add (arg);
    }

    addJobs (options, files, directory);
    if (options.plotName.isNotEmpty() && options.jobs.size() != 1)
        throw UsageError { "--plot draws one file; give one input" };

    return options;
}
