#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <memory>

// Asks the maker's server once whether a newer version exists. The answer is
// the status code alone: 202 means yes; the body is never read and failures
// are silent.
class UpdateCheck
{
public:
    // serverAddress + "/tolvo_update.php?v=" + our version.
    static juce::URL endpointFor (const juce::String& serverAddress);

    // Blocking: true only for a 202 within the time-outs.
    static bool isNewerVersionAvailable (const juce::URL& endpoint);

    // Runs the check on a new detached thread and stores the answer in the
    // flag. The thread owns a share of the flag, so a window closed before the
    // answer arrives leaves the thread nothing of the window to write into;
    // and it keeps the library loaded until it ends, so a host that unloads
    // the plug-in meanwhile does not pull the code from under it.
    static void startInBackground (const juce::String& serverAddress,
                                   std::shared_ptr<std::atomic<bool>> updateAvailable);

    // Checks still running in this process.
    static int numRunning();

    static constexpr int connectionTimeoutMs = 3000;
    static constexpr int statusNewerVersion = 202;

private:
    static std::atomic<int> running;
};
