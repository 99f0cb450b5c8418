#pragma once

#include "editor/TolvoAudioProcessorEditor.h"

#include <functional>

// Runs the JUCE message loop on this (the message) thread.
void dispatchPendingMessages();
void pumpMessagesFor (int milliseconds);
bool pumpMessagesUntil (const std::function<bool()>& condition, int timeoutMs);

// Closes every modal window (alert boxes) and lets them go away.
void closeAllModalWindows();

// A port on 127.0.0.1 that refuses connections: checks against it end at once.
juce::String refusingServer();

// The editor as tests see it: the server and language are chosen, the
// controls and the update flag are reachable.
class TestEditor : public TolvoAudioProcessorEditor
{
public:
    TestEditor (TolvoAudioProcessor& p, const juce::String& server = refusingServer(),
                const juce::String& displayLanguage = "en-US") :
        TolvoAudioProcessorEditor (p, server, displayLanguage)
    {
    }

    using TolvoAudioProcessorEditor::displayedLevel;
    using TolvoAudioProcessorEditor::enableButton;
    using TolvoAudioProcessorEditor::logoButton;
    using TolvoAudioProcessorEditor::minusButton;
    using TolvoAudioProcessorEditor::noticeButton;
    using TolvoAudioProcessorEditor::plusButton;
    using TolvoAudioProcessorEditor::updateAvailable;

    // Puts the editor in a real window so that it counts as showing, and
    // ticks once: the first tick on screen starts the update check.
    void showOnDesktop()
    {
        setVisible (true);
        addToDesktop (juce::ComponentPeer::windowIsTemporary);
        timerCallback();
    }

    juce::Image render() { return createComponentSnapshot (getLocalBounds(), true, 1.0f); }
};

// The alert window currently in front, if any.
juce::AlertWindow* frontAlertWindow();

// Texts of an alert window's buttons, left to right.
juce::StringArray buttonTexts (juce::AlertWindow&);
