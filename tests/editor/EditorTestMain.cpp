#include <gtest/gtest.h>

#include "editor/UpdateCheck.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>
#include <dlfcn.h>

void createWindowManagerAtoms();

int main (int argc, char** argv)
{
    testing::InitGoogleTest (&argc, argv);

    // The loopback servers must be reached directly, never through a proxy.
    for (auto* name : { "http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY" })
        ::unsetenv (name);

    createWindowManagerAtoms();

    // The framework opens libcurl when the first check runs and closes it at
    // exit, before the leak checker looks: libcurl's global state would then
    // seem leaked. Kept mapped, it stays reachable.
    if (auto* curl = ::dlopen ("libcurl.so.4", RTLD_LAZY | RTLD_NODELETE))
        ::dlclose (curl);

    int result = 0;

    {
        juce::ScopedJuceInitialiser_GUI gui;
        result = RUN_ALL_TESTS();

        // Let update checks started by the tests end before the framework
        // goes away; each gives up within its time-out.
        for (int i = 0; i < 500 && UpdateCheck::numRunning() > 0; ++i)
            juce::Thread::sleep (10);
    }

    return result;
}
