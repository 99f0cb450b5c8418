#pragma once

#include "CustomLookAndFeel.h"

// Paints the update notice as a red disc with a white exclamation mark; the
// button's image only makes the image button call this at all.
struct CustomLookAndFeel_NoticationBtn : public CustomLookAndFeel
{
    void drawImageButton (juce::Graphics&, juce::Image*,
                          int imageX, int imageY, int imageW, int imageH,
                          const juce::Colour& overlayColour, float imageOpacity,
                          juce::ImageButton&) override;
};
