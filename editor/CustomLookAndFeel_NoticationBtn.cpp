#include "CustomLookAndFeel_NoticationBtn.h"

void CustomLookAndFeel_NoticationBtn::drawImageButton (juce::Graphics& g, juce::Image*,
                                                       int, int, int, int,
                                                       const juce::Colour&, float,
                                                       juce::ImageButton&)
{
    g.setImageResamplingQuality (juce::Graphics::lowResamplingQuality);

    juce::Path path;
    g.setColour (juce::Colours::red);
    path.addEllipse (0.0f, 0.0f, 24.0f, 24.0f);
    g.fillPath (path);

    path.clear();
    g.setColour (juce::Colours::white);
    path.addRectangle (10.0f, 4.0f, 4.0f, 10.0f);
    path.addRectangle (10.0f, 17.0f, 4.0f, 4.0f);
    g.fillPath (path);
}
