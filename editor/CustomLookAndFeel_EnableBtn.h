#pragma once

#include "CustomLookAndFeel.h"

// Draws the Enable switch as one frame of the switch picture: the upper frame
// when off, the lower one when on.
struct CustomLookAndFeel_EnableBtn : public CustomLookAndFeel
{
    void drawTickBox (juce::Graphics&, juce::Component&,
                      float x, float y, float w, float h,
                      bool ticked, bool isEnabled,
                      bool shouldDrawButtonAsHighlighted,
                      bool shouldDrawButtonAsDown) override;
};
