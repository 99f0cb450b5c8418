#include "tools/render/RenderOptions.h"

#include "processor/BlockSize.h"
#include "processor/TolvoParameters.h"
#include "tools/render/CommandLine.h"
#include "tools/render/StrictNumber.h"
#include "tools/render/TemporaryOutput.h"

#include <map>
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

juce::String utf8 (const std::string& text)
{
    return juce::String::fromUTF8 (text.c_str());
}

const char* const usage = "usage: tolvo-render [options] IN OUT\n"
                          "       tolvo-render [options] IN... -o DIR\n"
                          "       tolvo-render [options] --no-output IN...\n";

const char* const footer = "Output format follows OUT's name: .aif/.aiff/.aifc AIFF, .flac FLAC (16 or\n"
                           "24 bits), anything else WAV (RF64 past 4 GB).\n"
                           "Exit status: 0 all rendered, 1 a file failed, 2 the command line is wrong.";

// What the command line names, before it is checked as a whole.
struct Arguments
{
    std::vector<std::string> files;
    std::string directory, plot;
};

const std::map<std::string, OutputBits>& outputBits()
{
    static const std::map<std::string, OutputBits> names { { "16", OutputBits::int16 }, { "24", OutputBits::int24 }, { "32f", OutputBits::float32 } };
    return names;
}

void declare (CLI::App& app, RenderOptions& options, Arguments& arguments)
{
    // A later value replaces an earlier one, as it always has.
    app.option_defaults()->multi_option_policy (CLI::MultiOptionPolicy::TakeLast);
    app.add_option_function<std::string> (
           "--level", [&options] (const std::string& text)
           { options.levelDb = *parseStrictNumber (text); },
           "ceiling in dB, -6.0 to 0.0 (default -0.1)")
        ->type_name ("DB")
        ->check (CommandLine::strictNumber (TolvoParameters::levelMinimumDb, TolvoParameters::levelMaximumDb));
    app.add_flag_callback (
        "--disable", [&options]
        { options.enable = false; },
        "switch Enable off (the file passes unchanged)");
    app.add_option ("--block", options.blockSize, "frames per block, 1 to 65536 (default 512)")
        ->type_name ("N")
        ->check (CommandLine::wholeNumber (maximumBlockSize));
    app.add_flag ("--keep-latency", options.keepLatency, "keep the 30 ms look-ahead delay; the output is longer by it");
    app.add_option_function<std::string> (
           "--bits", [&options] (const std::string& text)
           { options.bits = outputBits().at (text); },
           "output samples: 16 or 24-bit PCM with TPDF dither, or\n32-bit float (default 32f)")
        ->type_name ("16|24|32f")
        ->check (CLI::Validator ([] (const std::string& text)
                                 { return outputBits().count (text) > 0 ? std::string() : "must be 16, 24 or 32f, not '" + text + "'"; },
                                 ""));
    app.add_option ("-o", arguments.directory, "render every IN into DIR under its own name")->type_name ("DIR");
    app.add_flag ("--force", options.force, "replace output files that already exist (regular files only)");
    app.add_flag ("--no-output", options.noOutput, "write no audio, only report (and --plot)");
    app.add_flag ("--allow-truncated", options.allowTruncated, "render what is there of a file cut short");
    app.add_flag ("--json", options.json, "print the report as JSON");
    app.add_option ("--plot", arguments.plot, "draw input, output and gain reduction (one IN only)")->type_name ("FILE.png");
    app.add_flag ("-q,--quiet", options.quiet, "no progress bar and no text report");
    app.add_option ("-j", options.threads, "render up to N files at once, 1 to 64 (default: the\nnumber of cores)")
        ->type_name ("N")
        ->check (CommandLine::wholeNumber (TemporaryOutput::maximumThreads));
    app.add_option ("IN", arguments.files);
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
            throw CLI::ValidationError ("--no-output writes nothing; -o has no use with it");
        if (files.isEmpty())
            throw CLI::ValidationError ("expected at least one input");
        for (const auto& name : files)
            options.jobs.push_back ({ resolve (name), {}, name, {} });
    }
    else if (directory.isNotEmpty())
    {
        if (files.isEmpty())
            throw CLI::ValidationError (("expected at least one input before -o " + directory).toStdString());
        if (resolve (directory).existsAsFile())
            throw CLI::ValidationError (("-o needs a folder, and " + directory + " is a file").toStdString());
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
            throw CLI::ValidationError ("expected an input and an output file, or inputs and -o DIR");
        options.jobs.push_back ({ resolve (files[0]), resolve (files[1]), files[0], files[1] });
    }
}

// What the options mean together; throws CLI::ValidationError.
void checkTogether (RenderOptions& options, const Arguments& arguments, const CLI::App& app)
{
    if (app.count ("-o") > 0 && arguments.directory.empty())
        throw CLI::ValidationError ("-o needs a folder");
    if (app.count ("--plot") > 0)
    {
        if (arguments.plot.empty())
            throw CLI::ValidationError ("--plot needs a file name");
        options.plotName = utf8 (arguments.plot);
        options.plot = resolve (options.plotName);
    }

    juce::StringArray files;
    for (const auto& name : arguments.files)
        files.add (utf8 (name));
    addJobs (options, files, utf8 (arguments.directory));
    if (options.plotName.isNotEmpty() && options.jobs.size() != 1)
        throw CLI::ValidationError ("--plot draws one file; give one input");
}
} // namespace

std::optional<int> RenderOptions::parse (int argc, const char* const* argv)
{
    threads = juce::jlimit (1, TemporaryOutput::maximumThreads, (int) std::thread::hardware_concurrency());
    CLI::App app ("", "tolvo-render");
    CommandLine::setUsage (app, usage);
    app.footer (footer);
    Arguments arguments;
    declare (app, *this, arguments);
    app.final_callback ([this, &arguments, &app]
                        { checkTogether (*this, arguments, app); });
    return CommandLine::parse (app, argc, argv);
}
