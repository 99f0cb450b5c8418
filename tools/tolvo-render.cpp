// tolvo-render: runs audio files through the Tolvo processor as a host would,
// and reports what came out: peaks, true peaks, loudness, gain reduction and
// whatever passes the ceiling, with the reason why.

#include "tools/render/BatchRenderer.h"
#include "tools/render/ProgressBar.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/TemporaryOutput.h"

#include <juce_events/juce_events.h>

#include <csignal>
#include <cstdio>

namespace
{
// 2, the command line is wrong, comes from RenderOptions::parse.
enum ExitStatus
{
    allRendered = 0,
    someFailed = 1
};

void fail (const juce::String& message)
{
    std::fprintf (stderr, "tolvo-render: %s\n", message.toRawUTF8());
}

// Renders every job; one failure is reported and the others still run.
bool renderAll (const RenderOptions& options, juce::Array<juce::var>& json)
{
    if (options.outputDirectoryName.isNotEmpty() && ! options.outputDirectory.isDirectory())
    {
        const auto made = options.outputDirectory.createDirectory();
        if (made.failed())
        {
            fail ("cannot make the folder " + options.outputDirectoryName + ": " + made.getErrorMessage());
            return false;
        }
    }

    bool allGood = true;
    BatchRenderer (options).run (! options.quiet && ProgressBar::wanted (stderr), [&] (const RenderJob& job, const BatchRenderer::Outcome& outcome)
                                 {
                                     if (! outcome.report)
                                     {
                                         fail (outcome.error);
                                         json.add (RenderReport::failureJson (job.inputName, job.outputName, outcome.error));
                                         allGood = false;
                                     }
                                     else if (options.json)
                                         json.add (outcome.report->toJson());
                                     else if (! options.quiet)
                                         outcome.report->printText (stdout);
                                     std::fflush (stdout); });
    return allGood;
}
} // namespace

int main (int argc, char* argv[])
{
    juce::ScopedJuceInitialiser_GUI juceInit;
#if ! JUCE_WINDOWS
    // A reader that goes away (| head) costs the report, never the files still to render.
    std::signal (SIGPIPE, SIG_IGN);
#endif
    TemporaryOutput::watchSignals();
    RenderOptions options;
    if (const auto status = options.parse (argc, argv))
        return *status;

    juce::Array<juce::var> json;
    const bool ok = renderAll (options, json);

    if (options.json)
    {
        auto* doc = new juce::DynamicObject();
        doc->setProperty ("tool", "tolvo-render");
        doc->setProperty ("version", TOLVO_VERSION);
        doc->setProperty ("files", json);
        std::printf ("%s\n", RenderReport::formatJson (juce::var (doc)).toRawUTF8());
    }
    // Every file is in place; say so if the report itself could not be delivered.
    if (std::fflush (stdout) != 0 || std::ferror (stdout) != 0)
    {
        fail ("the report could not be written to the standard output");
        return someFailed;
    }
    return ok ? allRendered : someFailed;
}
