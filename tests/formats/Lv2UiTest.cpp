// The window binary in a small host of our own, as an LV2 host embeds it: the
// binary found through the bundle's description, loaded with dlopen, given a
// parent X window, the host's port values and idle calls; what the window
// writes must come back through the host's write function.
#include "bench/LilvHost.h"
#include "host/lv2/TolvoLv2Ports.h"
#include "host/lv2/TolvoLv2Uris.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <dlfcn.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

void createWindowManagerAtoms();

namespace
{
struct Write
{
    uint32_t port;
    float value;
};

void recordWrite (LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t protocol, const void* buffer)
{
    if (protocol == 0 && size == sizeof (float))
        static_cast<std::vector<Write>*> (controller)->push_back ({ port, *static_cast<const float*> (buffer) });
}

int requestedWidth = 0, requestedHeight = 0;

int recordSize (LV2UI_Feature_Handle, int width, int height)
{
    requestedWidth = width;
    requestedHeight = height;
    return 0;
}

std::string uiBinary()
{
    ::setenv ("LV2_PATH", "/usr/lib/lv2", 1);
    LilvHost host ({ TOLVO_LV2_BUNDLE }, 512);
    const auto* plugin = host.findPlugin (TolvoLv2Uris::stereo);

    if (plugin == nullptr)
        return {};

    LilvUIs* uis = lilv_plugin_get_uis (plugin);
    char* path = lilv_file_uri_parse (lilv_node_as_uri (lilv_ui_get_binary_uri (lilv_uis_get (uis, lilv_uis_begin (uis)))), nullptr);
    std::string result = path;
    lilv_free (path);
    lilv_uis_free (uis);
    return result;
}

// A press and release of the left button at a point of the window.
void click (Display* display, Window window, int x, int y)
{
    for (const int type : { ButtonPress, ButtonRelease })
    {
        XEvent e {};
        e.xbutton.type = type;
        e.xbutton.display = display;
        e.xbutton.window = window;
        e.xbutton.root = DefaultRootWindow (display);
        e.xbutton.x = x;
        e.xbutton.y = y;
        e.xbutton.button = Button1;
        e.xbutton.state = type == ButtonRelease ? Button1Mask : 0;
        e.xbutton.same_screen = True;
        XSendEvent (display, window, True, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
        XFlush (display);
    }
}
} // namespace

TEST (Lv2Ui, EmbedsInTheHostsWindowAndWritesThroughTheHost)
{
    // The window's update check must not wait for a network the test lacks.
    for (auto* name : { "http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY" })
        ::unsetenv (name);

    createWindowManagerAtoms();
    Display* display = XOpenDisplay (nullptr);
    ASSERT_NE (display, nullptr);
    const Window parent = XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, 700, 400, 0, 0, 0);
    XMapWindow (display, parent);
    XSync (display, False);

    const auto binary = uiBinary();
    void* library = dlopen (binary.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE (library, nullptr) << binary << ": " << dlerror();
    const auto entry = reinterpret_cast<LV2UI_DescriptorFunction> (dlsym (library, "lv2ui_descriptor"));
    ASSERT_NE (entry, nullptr);
    const LV2UI_Descriptor* descriptor = entry (0);
    ASSERT_NE (descriptor, nullptr);
    EXPECT_STREQ (descriptor->URI, TolvoLv2Uris::ui);
    EXPECT_EQ (entry (1), nullptr);

    LV2_URID_Map map { nullptr, [] (LV2_URID_Map_Handle, const char*) -> LV2_URID
                       { return 1; } };
    LV2UI_Resize resize { nullptr, recordSize };
    const LV2_Feature parentFeature { LV2_UI__parent, reinterpret_cast<void*> (parent) };
    const LV2_Feature mapFeature { LV2_URID__map, &map };
    const LV2_Feature resizeFeature { LV2_UI__resize, &resize };
    const LV2_Feature idleFeature { LV2_UI__idleInterface, nullptr };
    const LV2_Feature* features[] { &parentFeature, &mapFeature, &resizeFeature, &idleFeature, nullptr };

    std::vector<Write> writes;
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle ui = descriptor->instantiate (descriptor, TolvoLv2Uris::stereo, TOLVO_LV2_BUNDLE, recordWrite, &writes, &widget, features);
    ASSERT_NE (ui, nullptr);
    ASSERT_NE (widget, nullptr);
    EXPECT_EQ (requestedWidth, 632);
    EXPECT_EQ (requestedHeight, 340);

    const auto* idle = static_cast<const LV2UI_Idle_Interface*> (descriptor->extension_data (LV2_UI__idleInterface));
    const auto* show = static_cast<const LV2UI_Show_Interface*> (descriptor->extension_data (LV2_UI__showInterface));
    ASSERT_NE (idle, nullptr);
    ASSERT_NE (show, nullptr);

    const auto runFor = [&] (int ms)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds (ms);
        int result = 0;

        while (std::chrono::steady_clock::now() < end)
        {
            result |= idle->idle (ui);
            std::this_thread::sleep_for (std::chrono::milliseconds (5));
        }

        return result;
    };

    // The window is the widget, a child of the host's window, and showing.
    const auto window = (Window) reinterpret_cast<uintptr_t> (widget);
    EXPECT_EQ (runFor (300), 0);
    Window root = 0, above = 0, *children = nullptr;
    unsigned int numChildren = 0;
    ASSERT_TRUE (XQueryTree (display, window, &root, &above, &children, &numChildren));
    XFree (children);
    EXPECT_EQ (above, parent);
    XWindowAttributes attributes {};
    XGetWindowAttributes (display, window, &attributes);
    EXPECT_EQ (attributes.map_state, IsViewable);
    EXPECT_EQ (show->show (ui), 0);

    // What the host sends, then a click; what comes back to the host.
    struct Step
    {
        std::vector<Write> hostSends;
        int x, y;
        std::vector<Write> expected;
    };

    using namespace TolvoLv2Ports;
    const int plusX = 245 + 29, plusY = 240 + 29, switchX = 26 + 29, switchY = 18 + 29;

    for (const auto& step : { Step { { { enable, 1.0f }, { level, -2.5f } }, plusX, plusY, { { level, -2.4f } } },
                              // The plus button does nothing while Enable is off:
                              // the host's Enable arrived.
                              Step { { { enable, 0.0f } }, plusX, plusY, {} },
                              Step { {}, switchX, switchY, { { enable, 1.0f } } } })
    {
        for (const auto& w : step.hostSends)
            descriptor->port_event (ui, w.port, sizeof (float), 0, &w.value);

        runFor (150);
        writes.clear();
        click (display, window, step.x, step.y);
        runFor (250);

        ASSERT_EQ (writes.size(), step.expected.size()) << "click at " << step.x << ", " << step.y;
        for (size_t i = 0; i < writes.size(); ++i)
        {
            EXPECT_EQ (writes[i].port, step.expected[i].port);
            EXPECT_NEAR (writes[i].value, step.expected[i].value, 1.0e-4);
        }
    }

    EXPECT_EQ (show->hide (ui), 0);
    descriptor->cleanup (ui);

    // A host may unload the binary at once, while the window's update check
    // still waits on the network.
    dlclose (library);
    std::this_thread::sleep_for (std::chrono::milliseconds (200));

    XDestroyWindow (display, parent);
    XCloseDisplay (display);
}
