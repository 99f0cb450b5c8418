#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Common base of the window's own look-and-feel variants; everything it
// does not override is drawn as LookAndFeel_V3 draws it.
struct CustomLookAndFeel : public juce::LookAndFeel_V3
{
    CustomLookAndFeel() = default;
    ~CustomLookAndFeel() override;
};
