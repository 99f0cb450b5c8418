#include "CustomLookAndFeel_PictureBtn.h"

#include "TolvoPictures.h"

void CustomLookAndFeel_PictureBtn::drawImageButton (juce::Graphics& g, juce::Image* image,
                                                    int imageX, int imageY, int imageW, int imageH,
                                                    const juce::Colour& overlayColour, float imageOpacity,
                                                    juce::ImageButton& button)
{
    // The window's buttons are opaque and have no overlay, so the picture
    // alone is what shows.
    if (image != nullptr && TolvoPictures::densityOf (g) > 1)
    {
        if (const auto id = TolvoPictures::idOf (*image))
        {
            TolvoPictures::drawAt (g, *id, { imageX, imageY });
            return;
        }
    }

    CustomLookAndFeel::drawImageButton (g, image, imageX, imageY, imageW, imageH, overlayColour, imageOpacity, button);
}
