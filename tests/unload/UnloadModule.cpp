// A plug-in-like module for the unload test: it shows Tolvo's window, closes
// it and shuts the framework down, all inside one call, so that the host can
// unload the module the moment the call returns.

#include "editor/EditorTestSupport.h"
#include "editor/UpdateCheck.h"

// Shows the window for shownMs with its update check pointed at server, then
// closes it; returns the number of checks still waiting at the close.
extern "C" __attribute__ ((visibility ("default"))) int tolvoShowAndCloseWindow (const char* server, int shownMs)
{
    juce::ScopedJuceInitialiser_GUI framework;
    TolvoAudioProcessor processor;
    int waiting = 0;

    {
        TestEditor editor (processor, server);
        editor.showOnDesktop();
        pumpMessagesFor (shownMs);
        waiting = UpdateCheck::numRunning();
    }

    return waiting;
}
