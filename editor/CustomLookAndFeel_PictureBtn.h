#pragma once

#include "CustomLookAndFeel.h"

// Draws an image button whose image is one of the window's pictures from the
// set that suits the screen; at 1x, and for any other image, exactly as the
// framework draws image buttons.
struct CustomLookAndFeel_PictureBtn : public CustomLookAndFeel
{
    void drawImageButton (juce::Graphics&, juce::Image*,
                          int imageX, int imageY, int imageW, int imageH,
                          const juce::Colour& overlayColour, float imageOpacity,
                          juce::ImageButton&) override;
};
