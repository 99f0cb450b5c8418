#include "CustomLookAndFeel_EnableBtn.h"

#include "TolvoPictures.h"

void CustomLookAndFeel_EnableBtn::drawTickBox (juce::Graphics& g, juce::Component&,
                                               float, float, float, float,
                                               bool ticked, bool, bool, bool)
{
    g.setImageResamplingQuality (juce::Graphics::lowResamplingQuality);

    const auto image = TolvoPictures::get (TolvoPictures::Id::enableSwitch);
    const auto frameWidth = image.getWidth();
    const auto frameHeight = image.getHeight() / 2;

    // The frame always sits at the button's corner at its own size, whatever
    // the box geometry, hover or enabled state.
    TolvoPictures::draw (g, TolvoPictures::Id::enableSwitch,
                         { 0, ticked ? frameHeight : 0, frameWidth, frameHeight }, { 0, 0 });
}
