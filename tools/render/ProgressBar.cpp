#include "tools/render/ProgressBar.h"

#include <unistd.h>

namespace
{
constexpr double showAfterMs = 1000.0;
constexpr double redrawEveryMs = 100.0;
constexpr int barWidth = 30;
constexpr int nameWidth = 32;

double now() { return juce::Time::getMillisecondCounterHiRes(); }
} // namespace

ProgressBar::ProgressBar (const juce::String& label, bool isEnabled, double startedMs, std::FILE* out) :
    name (label.length() > nameWidth ? "..." + label.getLastCharacters (nameWidth - 3) : label),
    enabled (isEnabled), stream (out), started (startedMs)
{
}

ProgressBar::~ProgressBar() { wipe(); }

void ProgressBar::wipe()
{
    if (shown)
    {
        std::fputs ("\r\033[K", stream);
        std::fflush (stream);
        shown = false;
        lastDrawn = 0.0;
    }
}

bool ProgressBar::wanted (std::FILE* out)
{
    return ::isatty (::fileno (out)) != 0;
}

void ProgressBar::update (double fraction)
{
    if (! enabled)
        return;

    const double t = now();
    const double elapsed = t - started;
    if (elapsed < showAfterMs || t - lastDrawn < redrawEveryMs)
        return;
    lastDrawn = t;
    shown = true;

    fraction = juce::jlimit (0.0, 1.0, fraction);
    const int filled = (int) (fraction * barWidth);
    // Too early to tell until a little is done.
    const auto left = fraction >= 0.01 ? juce::String ((int) std::ceil (elapsed * (1.0 - fraction) / fraction / 1000.0)) + " s left" : juce::String ("...");

    std::fprintf (stream, "\r%s [%s%s] %3d%% %s\033[K", name.toRawUTF8(),
                  juce::String::repeatedString ("#", filled).toRawUTF8(),
                  juce::String::repeatedString ("-", barWidth - filled).toRawUTF8(),
                  (int) (fraction * 100.0), left.toRawUTF8());
    std::fflush (stream);
}
