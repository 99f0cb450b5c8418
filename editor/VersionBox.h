#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

// The version box: when an update is known, a question whether to open the
// maker's page, then the About box. Texts follow the display language
// (Japanese, Chinese, else English).
//
// The windows are chained asynchronously instead of run in modal loops:
// the framework builds without modal loops by default, and a nested loop
// inside a host's message loop is unsafe in many hosts. The order and the
// outcomes stay the same: the question first, the page only on its first
// button, the About box after it in every case.
class VersionBox
{
public:
    struct UpdateQuestion
    {
        juce::String title, message, openButton, laterButton;
    };

    static UpdateQuestion updateQuestionFor (const juce::String& language);
    static juce::String aboutTitleFor (const juce::String& language);
    static juce::String aboutMessageFor (const juce::String& language);

    // Returns at once; openHomePage runs on the message thread if the user
    // takes the question's first button. Nothing of the caller is kept, so
    // the windows may outlive the editor that opened them.
    static void show (bool updateAvailable, const juce::String& language,
                      std::function<void()> openHomePage);

    static constexpr int openButtonResult = 1;
    static constexpr int laterButtonResult = 2;
    static constexpr int okButtonResult = 1;

private:
    static void showAbout (const juce::String& language);
};
