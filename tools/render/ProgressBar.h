#pragma once

#include <juce_core/juce_core.h>

#include <cstdio>

// A one-line progress bar with the file's name and the time left, drawn on a
// terminal only once a job has run for about a second, and wiped at the end.
class ProgressBar
{
public:
    /** A bar for `total` frames of `name`, drawn on `stream` only if `enabled`; the job began at `startedMs` (juce::Time::getMillisecondCounterHiRes). */
    ProgressBar (const juce::String& name, juce::int64 total, bool enabled, double startedMs, std::FILE* stream = stderr);
    /** Wipes the bar if it was drawn. */
    ~ProgressBar();

    /** Reports `done` frames of the total. */
    void update (juce::int64 done);

    /** Whether a bar may be drawn on `stream` at all: only on a terminal. */
    static bool wanted (std::FILE* stream);

private:
    juce::String name;
    juce::int64 total;
    bool enabled, shown = false;
    std::FILE* stream;
    double started, lastDrawn = 0.0;
};
