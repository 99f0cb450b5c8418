#include "UpdateCheck.h"

#include "UnloadSafeThread.h"

std::atomic<int> UpdateCheck::running { 0 };

juce::URL UpdateCheck::endpointFor (const juce::String& serverAddress)
{
    return juce::URL (serverAddress + "/tolvo_update.php" + "?v=" + JucePlugin_VersionString);
}

bool UpdateCheck::isNewerVersionAvailable (const juce::URL& endpoint)
{
    int statusCode = 0;

    // The stream is only opened for its status code and closed unread. With
    // curl the time-out bounds the connection and then any stall of the
    // answer, so a server that accepts and stays silent is given up too.
    const auto stream = endpoint.createInputStream (
        juce::URL::InputStreamOptions (juce::URL::ParameterHandling::inAddress)
            .withConnectionTimeoutMs (connectionTimeoutMs)
            .withStatusCode (&statusCode));

    return stream != nullptr && statusCode == statusNewerVersion;
}

void UpdateCheck::startInBackground (const juce::String& serverAddress,
                                     std::shared_ptr<std::atomic<bool>> updateAvailable)
{
    ++running;

    const bool started = UnloadSafeThread::start ([endpoint = endpointFor (serverAddress), flag = std::move (updateAvailable)]
                                                  {
                                                      if (isNewerVersionAvailable (endpoint))
                                                          flag->store (true);

                                                      --running; });

    // No thread, no check: the window simply shows no badge.
    if (! started)
        --running;
}

int UpdateCheck::numRunning()
{
    return running.load();
}
