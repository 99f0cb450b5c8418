#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "CustomLookAndFeel_EnableBtn.h"
#include "CustomLookAndFeel_NoticationBtn.h"
#include "CustomLookAndFeel_PictureBtn.h"
#include "HostWindowScale.h"
#include "processor/TolvoAudioProcessor.h"

#include <atomic>
#include <memory>

// The plug-in window: a picture panel with the Level readout, the Enable
// switch, plus and minus buttons and the wordmark that opens the version box.
// It polls the two parameters every 50 ms and writes them through the
// parameter objects.
class TolvoAudioProcessorEditor : public juce::AudioProcessorEditor,
                                  public juce::Timer,
                                  public juce::Button::Listener
{
public:
    explicit TolvoAudioProcessorEditor (TolvoAudioProcessor&);
    ~TolvoAudioProcessorEditor() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void timerCallback() override;
    void parentHierarchyChanged() override;
    void buttonClicked (juce::Button*) override;

    void showVersionBox();

    // The default sans-serif typeface for a display language; empty leaves
    // the framework's choice alone.
    static juce::String typefaceForLanguage (const juce::String& displayLanguage);

    void drawLevelReadout (juce::Graphics&, double levelDb);
    void drawReadoutGlyph (juce::Graphics&, int x, char c);

    static constexpr int windowWidth = 632;
    static constexpr int windowHeight = 340;
    static constexpr int timerPeriodMs = 50;

protected:
    // Lets tests and tools point the update check at another server and
    // choose the display language; the plug-in itself always takes the
    // public constructor's build-time server and the user's language.
    TolvoAudioProcessorEditor (TolvoAudioProcessor&,
                               const juce::String& server,
                               const juce::String& displayLanguage);

    void checkForUpdate();

    TolvoAudioProcessor& processor;
    std::unique_ptr<juce::ToggleButton> enableButton;
    juce::ImageButton logoButton;
    juce::ImageButton plusButton;
    juce::ImageButton minusButton;
    double displayedLevel = 0.0;
    juce::ImageButton noticeButton;

    // Shared with the update-check thread, which may outlive the window.
    std::shared_ptr<std::atomic<bool>> updateAvailable;

    const juce::String language;
    const juce::String updateServer;
    bool updateCheckStarted = false;

    CustomLookAndFeel_EnableBtn enableButtonLookAndFeel;
    CustomLookAndFeel_NoticationBtn noticeButtonLookAndFeel;
    CustomLookAndFeel_PictureBtn pictureButtonLookAndFeel; // wordmark, plus and minus

private:
    void stepLevel (float stepDb);
    void followHostScale();

    HostWindowScale hostWindowScale;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TolvoAudioProcessorEditor)
};
