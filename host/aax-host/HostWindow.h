// The Windows stand-in host's plug-in window: a plain Win32 window that the
// plug-in's view is attached to, with the host's message loop and a way to
// read back what is on screen.
#pragma once

#include <string>

class HostWindow
{
public:
    // Opens a visible, undecorated window at the screen's top-left corner.
    HostWindow (int width, int height);
    ~HostWindow();

    HostWindow (const HostWindow&) = delete;
    HostWindow& operator= (const HostWindow&) = delete;

    // The native handle (an HWND) to hand to the plug-in's view container.
    void* nativeHandle() const { return window; }
    // Gives the window a new client size.
    void resize (int width, int height);
    // Runs the message loop for the given time.
    void pump (int milliseconds);
    // Client size as the system sees it.
    int clientWidth() const;
    int clientHeight() const;
    // The DPI the system gives the window (96 at 100 %).
    int dpi() const;
    // Writes the window's client area, as shown on screen, to a 24-bit BMP file.
    bool saveBitmap (const std::string& path) const;

private:
    void* window = nullptr;
};
