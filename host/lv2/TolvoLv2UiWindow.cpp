#include "host/lv2/TolvoLv2UiWindow.h"

TolvoLv2UiWindow::TolvoLv2UiWindow (std::unique_ptr<juce::Component> e) :
    editor (std::move (e))
{
    setOpaque (true);
    setSize (editor->getWidth(), editor->getHeight());
    addAndMakeVisible (*editor);
}

// The editor goes before the window that holds it.
TolvoLv2UiWindow::~TolvoLv2UiWindow() { editor.reset(); }

void TolvoLv2UiWindow::embedInto (void* parentWindow)
{
    embedded = true;
    addToDesktop (0, parentWindow);
    setVisible (true);
}

void TolvoLv2UiWindow::show()
{
    closed = false;

    if (! embedded && ! isOnDesktop())
    {
        setName ("Tolvo");
        centreWithSize (getWidth(), getHeight());
        addToDesktop (juce::ComponentPeer::windowHasTitleBar | juce::ComponentPeer::windowHasCloseButton
                      | juce::ComponentPeer::windowHasDropShadow);
    }

    setVisible (true);

    if (! embedded)
        toFront (true);
}

void TolvoLv2UiWindow::hide() { setVisible (false); }

void TolvoLv2UiWindow::setScale (float newScale)
{
    scale = newScale;
    editor->setTransform (juce::AffineTransform::scale (scale));
    setSize (juce::roundToInt ((float) editor->getWidth() * scale), juce::roundToInt ((float) editor->getHeight() * scale));
}

void TolvoLv2UiWindow::userTriedToCloseWindow()
{
    hide();
    closed = true;
}
