#include "EditorTestSupport.h"

#include "editor/UpdateCheck.h"

#include <algorithm>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace juce
{
// The framework's own step of its Linux message loop.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

void dispatchPendingMessages()
{
    for (int i = 0; i < 1000 && juce::dispatchNextMessageOnSystemQueue (true); ++i)
    {
    }
}

void pumpMessagesFor (int milliseconds)
{
    pumpMessagesUntil ([]
                       { return false; },
                       milliseconds);
}

bool pumpMessagesUntil (const std::function<bool()>& condition, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounterHiRes() + timeoutMs;

    for (;;)
    {
        if (condition())
            return true;

        if (juce::Time::getMillisecondCounterHiRes() >= end)
            return false;

        if (! juce::dispatchNextMessageOnSystemQueue (true))
            juce::Thread::sleep (1);
    }
}

void closeAllModalWindows()
{
    for (int guard = 0; guard < 20 && juce::Component::getNumCurrentlyModalComponents() > 0; ++guard)
    {
        if (auto* modal = juce::Component::getCurrentlyModalComponent())
            modal->exitModalState (0);

        pumpMessagesFor (20);
    }
}

juce::String refusingServer()
{
    // Bind a port and close it again: nothing listens there afterwards.
    static const juce::String address = []
    {
        const auto fd = ::socket (AF_INET, SOCK_STREAM, 0);
        sockaddr_in a {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl (INADDR_LOOPBACK);
        socklen_t length = sizeof (a);
        ::bind (fd, reinterpret_cast<sockaddr*> (&a), sizeof (a));
        ::getsockname (fd, reinterpret_cast<sockaddr*> (&a), &length);
        ::close (fd);
        return "http://127.0.0.1:" + juce::String (ntohs (a.sin_port));
    }();

    return address;
}

juce::AlertWindow* frontAlertWindow()
{
    return dynamic_cast<juce::AlertWindow*> (juce::Component::getCurrentlyModalComponent());
}

juce::StringArray buttonTexts (juce::AlertWindow& window)
{
    juce::Array<juce::TextButton*> buttons;

    for (auto* child : window.getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*> (child))
            buttons.add (button);

    std::sort (buttons.begin(), buttons.end(),
               [] (auto* a, auto* b)
               { return a->getX() < b->getX(); });

    juce::StringArray texts;

    for (auto* button : buttons)
        texts.add (button->getButtonText());

    return texts;
}
