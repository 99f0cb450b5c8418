// tolvo-editor-check: the Windows editor through the same seam as the Linux
// editor tests (server and language chosen), for wine_checks.py to drive.
//
//   tolvo-editor-check badge SERVER        {"badge": ...} after up to 4.5 s on screen
//   tolvo-editor-check close-early SERVER  closes the window at once; {"checksEnded": ...}
//   tolvo-editor-check language            the display language and what follows from it

#include "editor/DisplayLanguage.h"
#include "editor/TolvoAudioProcessorEditor.h"
#include "editor/UpdateCheck.h"
#include "editor/VersionBox.h"

#include <cstdio>
#include <functional>

namespace juce
{
// The framework's own step of its Windows message loop.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace
{
bool pumpUntil (const std::function<bool()>& condition, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounterHiRes() + timeoutMs;

    while (! condition())
    {
        if (juce::Time::getMillisecondCounterHiRes() >= end)
            return false;

        if (! juce::dispatchNextMessageOnSystemQueue (true))
            juce::Thread::sleep (1);
    }

    return true;
}

class CheckEditor : public TolvoAudioProcessorEditor
{
public:
    CheckEditor (TolvoAudioProcessor& p, const juce::String& server, const juce::String& displayLanguage) :
        TolvoAudioProcessorEditor (p, server, displayLanguage)
    {
        setVisible (true);
        addToDesktop (juce::ComponentPeer::windowIsTemporary);
        timerCallback();
    }

    bool badgeShowing() const { return noticeButton.isVisible(); }
};

// JSON string contents: the texts are UTF-8; quotes, backslashes and line breaks escaped.
juce::String quoted (const juce::String& s)
{
    return "\"" + s.replace ("\\", "\\\\").replace ("\"", "\\\"").replace ("\n", "\\n").replace ("\r", "\\r") + "\"";
}

void print (const juce::String& json)
{
    std::fputs ((json + "\n").toRawUTF8(), stdout);
    std::fflush (stdout);
}

int badge (const juce::String& server)
{
    TolvoAudioProcessor processor;
    CheckEditor editor (processor, server, "en-US");
    const auto shown = pumpUntil ([&]
                                  { return editor.badgeShowing(); },
                                  4500);
    print ("{\"badge\": " + juce::String (shown ? "true" : "false") + "}");
    return 0;
}

int closeEarly (const juce::String& server)
{
    {
        TolvoAudioProcessor processor;
        CheckEditor editor (processor, server, "en-US");
    }

    const auto started = juce::Time::getMillisecondCounterHiRes();
    const auto ended = pumpUntil ([]
                                  { return UpdateCheck::numRunning() == 0; },
                                  6000);
    print ("{\"checksEnded\": " + juce::String (ended ? "true" : "false") + ", \"waitedMs\": "
           + juce::String (juce::roundToInt (juce::Time::getMillisecondCounterHiRes() - started)) + "}");
    return 0;
}

int language()
{
    const auto lang = DisplayLanguage::get();
    {
        // The window sets the process-wide typeface as the plug-in does.
        TolvoAudioProcessor processor;
        CheckEditor editor (processor, "http://127.0.0.1:9", lang);
    }
    const auto typeface = juce::LookAndFeel::getDefaultLookAndFeel().getTypefaceForFont (juce::Font())->getName();
    const auto question = VersionBox::updateQuestionFor (lang);
    print ("{\"displayLanguage\": " + quoted (lang) + ", \"typeface\": " + quoted (typeface)
           + ", \"questionTitle\": " + quoted (question.title) + ", \"openButton\": " + quoted (question.openButton)
           + ", \"aboutTitle\": " + quoted (VersionBox::aboutTitleFor (lang))
           + ", \"aboutMessage\": " + quoted (VersionBox::aboutMessageFor (lang)) + "}");
    pumpUntil ([]
               { return UpdateCheck::numRunning() == 0; },
               6000);
    return 0;
}
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI gui;
    const juce::String command = argc > 1 ? argv[1] : "";

    if (command == "badge" && argc == 3)
        return badge (argv[2]);
    if (command == "close-early" && argc == 3)
        return closeEarly (argv[2]);
    if (command == "language")
        return language();

    std::fputs ("usage: tolvo-editor-check badge SERVER | close-early SERVER | language\n", stderr);
    return 2;
}
