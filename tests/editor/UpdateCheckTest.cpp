#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "LoopbackHttpServer.h"
#include "editor/UpdateCheck.h"

#include <chrono>

namespace
{
using Server = LoopbackHttpServer;

const std::string expectedRequest = std::string ("GET /tolvo_update.php?v=") + JucePlugin_VersionString + " HTTP/1.1";

bool checkAgainst (const Server& server)
{
    return UpdateCheck::isNewerVersionAvailable (UpdateCheck::endpointFor (server.baseAddress()));
}

bool waitForChecksToEnd (int timeoutMs)
{
    return pumpMessagesUntil ([]
                              { return UpdateCheck::numRunning() == 0; },
                              timeoutMs);
}

double secondsSince (std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();
}
} // namespace

TEST (UpdateCheck, AddressCarriesPathAndVersion)
{
    EXPECT_EQ (UpdateCheck::endpointFor ("https://example.org").toString (true),
               juce::String ("https://example.org/tolvo_update.php?v=") + JucePlugin_VersionString);
}

TEST (UpdateCheck, OnlyStatus202MeansANewerVersion)
{
    struct Case
    {
        Server::Behaviour behaviour;
        int status;
        bool newer;
    };

    const Case cases[] {
        { Server::Behaviour::answer, 202, true },
        { Server::Behaviour::answer, 200, false },
        { Server::Behaviour::answer, 204, false },
        { Server::Behaviour::answer, 404, false },
        { Server::Behaviour::dropConnection, 0, false },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.status);
        Server server (c.behaviour, c.status);
        EXPECT_EQ (checkAgainst (server), c.newer);

        const auto requests = server.requestLines();
        ASSERT_EQ (requests.size(), 1u);
        EXPECT_EQ (requests.front(), expectedRequest);
    }

    // Nobody listening at all.
    EXPECT_FALSE (UpdateCheck::isNewerVersionAvailable (UpdateCheck::endpointFor (refusingServer())));
}

TEST (UpdateCheck, ASilentServerIsGivenUpAfterTheTimeOut)
{
    Server server (Server::Behaviour::stayQuiet);
    const auto start = std::chrono::steady_clock::now();

    EXPECT_FALSE (checkAgainst (server));

    const auto seconds = secondsSince (start);
    std::cout << "[ measured ] silent server given up after " << seconds << " s\n";
    EXPECT_GE (seconds, 2.9);
    EXPECT_LT (seconds, 6.0);
}

TEST (EditorUpdateCheck, BadgeShowsAtTheFirstTickAfterA202)
{
    Server server (Server::Behaviour::answer, 202);
    server.holdAnswers();

    TolvoAudioProcessor processor;
    TestEditor editor (processor, server.baseAddress());
    editor.showOnDesktop();
    editor.stopTimer(); // ticks by hand from here

    ASSERT_TRUE (server.waitForRequests (1, 3000));
    EXPECT_EQ (server.requestLines().front(), expectedRequest);
    editor.timerCallback();
    EXPECT_FALSE (editor.noticeButton.isVisible());

    server.release();
    ASSERT_TRUE (pumpMessagesUntil ([&]
                                    { return editor.updateAvailable->load(); },
                                    3000));
    EXPECT_FALSE (editor.noticeButton.isVisible());

    editor.timerCallback();
    EXPECT_TRUE (editor.noticeButton.isVisible());

    // The badge is drawn over the wordmark's corner, and stays.
    const auto image = editor.render();
    EXPECT_EQ (image.getPixelAt (602 + 4, 6 + 12).getARGB(), 0xffff0000u);
    EXPECT_EQ (image.getPixelAt (602 + 11, 6 + 8).getARGB(), 0xffffffffu);
    editor.timerCallback();
    EXPECT_TRUE (editor.noticeButton.isVisible());

    ASSERT_TRUE (waitForChecksToEnd (3000));
}

TEST (EditorUpdateCheck, BadgeStaysHiddenForAnyOtherOutcome)
{
    struct Case
    {
        Server::Behaviour behaviour;
        int status;
    };

    const Case cases[] {
        { Server::Behaviour::answer, 200 },
        { Server::Behaviour::answer, 204 },
        { Server::Behaviour::answer, 404 },
        { Server::Behaviour::dropConnection, 0 },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.status);
        Server server (c.behaviour, c.status);
        TolvoAudioProcessor processor;
        TestEditor editor (processor, server.baseAddress());
        editor.showOnDesktop();

        ASSERT_TRUE (server.waitForRequests (1, 3000));
        ASSERT_TRUE (waitForChecksToEnd (3000));
        pumpMessagesFor (60);

        EXPECT_FALSE (editor.updateAvailable->load());
        EXPECT_FALSE (editor.noticeButton.isVisible());
    }
}

TEST (EditorUpdateCheck, AWindowNeverShownAsksNothing)
{
    // Hosts build editors only to measure them, and may unload at once.
    Server server (Server::Behaviour::answer, 202);
    {
        TolvoAudioProcessor processor;
        TestEditor editor (processor, server.baseAddress());
        editor.timerCallback();
        pumpMessagesFor (200);
    }
    EXPECT_TRUE (server.requestLines().empty());
    EXPECT_EQ (UpdateCheck::numRunning(), 0);
}

TEST (EditorUpdateCheck, ClosingTheWindowDuringTheCheckLeavesNothingBehind)
{
    // A late 202 goes into the flag the thread shares, not into the window:
    // under AddressSanitizer a write into the closed window would fail here.
    {
        Server server (Server::Behaviour::answer, 202);
        server.holdAnswers();

        {
            TolvoAudioProcessor processor;
            auto editor = std::make_unique<TestEditor> (processor, server.baseAddress());
            editor->showOnDesktop();
            ASSERT_TRUE (server.waitForRequests (1, 3000));
            EXPECT_EQ (editor->updateAvailable.use_count(), 2); // the window and the pending check
            editor.reset();
        }

        server.release();
        ASSERT_TRUE (waitForChecksToEnd (3000));
    }

    // A server that never answers: the check gives up on its own.
    {
        Server server (Server::Behaviour::stayQuiet);

        {
            TolvoAudioProcessor processor;
            TestEditor editor (processor, server.baseAddress());
            editor.showOnDesktop();
            ASSERT_TRUE (server.waitForRequests (1, 3000));
        }

        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE (waitForChecksToEnd (5000));
        EXPECT_LT (secondsSince (start), 5.0);
    }
}
