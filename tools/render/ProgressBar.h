#pragma once

#include <juce_core/juce_core.h>

#include <cstdio>

// A one-line progress bar with a label and the time left, drawn on a
// terminal only once the work has run for about a second, and wiped at the
// end. One thread draws it.
class ProgressBar
{
public:
    /** A bar labelled `label`, drawn on `out` only if `isEnabled`; the work began at `startedMs` (juce::Time::getMillisecondCounterHiRes). */
    ProgressBar (const juce::String& label, bool isEnabled, double startedMs, std::FILE* out = stderr);
    /** Wipes the bar if it is drawn. */
    ~ProgressBar();

    /** Reports the part of the work done, 0 to 1. */
    void update (double fraction);
    /** Takes the bar off the line, for other text; the next update draws it again. */
    void wipe();

    /** Whether a bar may be drawn on `stream` at all: only on a terminal. */
    static bool wanted (std::FILE* out);

private:
    juce::String name;
    bool enabled, shown = false;
    std::FILE* stream;
    double started, lastDrawn = 0.0;
};
