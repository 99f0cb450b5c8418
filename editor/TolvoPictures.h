#pragma once

#include <juce_graphics/juce_graphics.h>

#include <optional>

// The window's pictures, each drawn at 1x and at 2x from the same geometry.
// Where one logical pixel is one physical pixel the 1x pictures are drawn as
// they are; at any other scale the 2x ones are drawn into the same logical
// rectangles, so layout and hit areas never move. Each is decoded once per
// density (and resampled once per scale) and shared through the image cache
// while in use.
class TolvoPictures
{
public:
    enum class Id
    {
        backgroundOn,
        backgroundOff,
        enableSwitch,
        plusNormal,
        plusDown,
        minusNormal,
        minusDown,
        digitStrip,
        decimalPoint,
        logo
    };

    static constexpr int highDensity = 2;

    // Pixels per logical pixel of the set for a physical scale: 1 or 2.
    static int densityFor (float physicalScale);
    static int densityOf (const juce::Graphics&);

    static juce::Image get (Id, int density = 1);

    // Which picture an image is, if it is the 1x one as get() gave it.
    static std::optional<Id> idOf (const juce::Image&);

    // Draws the part `source` (in logical pixels) of a picture with its top
    // left at `position`, from the set that suits the context: at 1x and 2x
    // pixel for pixel; at any other scale the 2x part, resampled once to its
    // physical size and kept. Leaves the context's resampling quality changed.
    static void draw (juce::Graphics&, Id, juce::Rectangle<int> source, juce::Point<int> position);
    static void drawAt (juce::Graphics&, Id, juce::Point<int> position);

private:
    static juce::Image getResampled (Id, juce::Rectangle<int> source, float scale);
};
