// Kept apart: the X11 headers define macros that clash with the framework's names.
#include <X11/Xlib.h>

#include <initializer_list>

void createWindowManagerAtoms();

// A bare Xvfb has no window manager, so the atoms a window manager would have
// created do not exist; the framework only looks some of them up and then
// hands None to the server, which fails the whole program. Creating them on a
// connection that stays open for the process's life keeps them there.
void createWindowManagerAtoms()
{
    static Display* display = XOpenDisplay (nullptr);

    if (display == nullptr)
        return;

    for (auto* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING",
                        "WM_CHANGE_STATE", "WM_STATE", "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE",
                        "_NET_WM_STATE_HIDDEN", "_NET_WM_WINDOW_TYPE_NORMAL" })
        XInternAtom (display, name, False);

    XSync (display, False);
}
