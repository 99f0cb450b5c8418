#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// What the host shows: the editor, either inside the host's own window or,
// for a host without one, as a window of its own that the user can close.
class TolvoLv2UiWindow : public juce::Component
{
public:
    explicit TolvoLv2UiWindow (std::unique_ptr<juce::Component> editor);
    ~TolvoLv2UiWindow() override;

    // Inside the host's X11 window; or, with none, on the desktop when shown.
    void embedInto (void* parentWindow);
    void show();
    void hide();

    // Whether the user closed the window of its own.
    bool wasClosed() const noexcept { return closed; }

    void userTriedToCloseWindow() override;

    // Physical pixels per logical pixel of the editor: the window takes the
    // editor's size times the scale, and the editor draws at it.
    void setScale (float scale);
    float getScale() const noexcept { return scale; }

    static constexpr float minimumScale = 0.5f;
    static constexpr float maximumScale = 8.0f;

private:
    std::unique_ptr<juce::Component> editor;
    float scale = 1.0f;
    bool embedded = false;
    bool closed = false;
};
