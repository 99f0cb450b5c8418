#pragma once

#include "host/lv2/TolvoLv2UiWindow.h"
#include "processor/TolvoAudioProcessor.h"

#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <memory>

// The window as an LV2 UI. It never reaches the plug-in: its editor works on
// parameter objects of its own, which show what the host sends for the two
// control ports, and whatever the editor writes goes to the host as a port
// write, so the host records, automates and saves it like any control.
// Everything runs on the host's UI thread, whose idle calls drive the
// framework's event loop.
class TolvoLv2Ui : private juce::AudioProcessorListener
{
public:
    // Any of parentWindow, resize, map and options may be missing.
    TolvoLv2Ui (LV2UI_Write_Function write, LV2UI_Controller controller, void* parentWindow,
                const LV2UI_Resize* resize, const LV2_URID_Map* map, const LV2_Options_Option* options);
    ~TolvoLv2Ui() override;

    TolvoLv2Ui (const TolvoLv2Ui&) = delete;
    TolvoLv2Ui& operator= (const TolvoLv2Ui&) = delete;

    // The X11 window the host embeds.
    void* getWidget() const;

    // A control port's value from the host.
    void portEvent (uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer);

    // Runs what the event loop has pending; non-zero once the user closed a
    // window of its own.
    int idle();

    void show();
    void hide();

    // Takes the host's display scale (ui:scaleFactor) from its options and
    // asks for the window's size at it; other options are left alone.
    LV2_Options_Status setOptions (const LV2_Options_Option* options);

private:
    void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float) override;
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}

    void writePort (uint32_t port, float value);
    void requestSize();

    const juce::ScopedJuceInitialiser_GUI framework;
    TolvoAudioProcessor parameters;
    std::unique_ptr<TolvoLv2UiWindow> window;
    const LV2UI_Write_Function write;
    const LV2UI_Controller controller;
    const LV2UI_Resize* const resize;
    LV2_URID scaleFactorKey = 0;
    LV2_URID floatType = 0;
};
