#pragma once

#include "tools/render/RenderOptions.h"
#include "tools/render/RenderReport.h"

#include <functional>
#include <optional>

// The jobs of one command, rendered side by side on up to options.threads
// threads. Each job's outcome comes back on the calling thread in the order
// of the jobs, so the reports read as if the files were rendered one after
// another; a job that fails leaves the others alone.
class BatchRenderer
{
public:
    struct Outcome
    {
        std::optional<RenderReport> report; // none when the job failed
        juce::String error;
    };
    using Delivery = std::function<void (const RenderJob&, const Outcome&)>;

    explicit BatchRenderer (const RenderOptions& renderOptions) :
        options (renderOptions) {}

    /** Renders every job, with one progress bar on stderr if `showProgress`. */
    void run (bool showProgress, const Delivery& deliver);

private:
    const RenderOptions& options;
};
