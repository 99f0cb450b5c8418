#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// An AAX host on Windows tells its plug-in no display scale, and the
// framework's AAX window scales only by the desktop-wide factor. This sets
// that factor from the DPI of the host's window (as the framework's VST3
// window reads it), so the window gets its physical size and the 2x pictures.
// A host that is not DPI-aware reads 96 DPI and is left to the system to
// enlarge. Elsewhere it does nothing.
//
// The factor is one for all of the library's windows: each window sets it
// when it opens and when its own host window's DPI changes, never merely
// because it differs, so two windows on screens of different DPI do not
// take turns.
class HostWindowScale
{
public:
    // Call with the editor once it is on screen and again now and then, to
    // follow the host's window to a screen of another DPI.
    void follow (juce::Component& editor);

private:
    [[maybe_unused]] float seen = 0.0f;
};
