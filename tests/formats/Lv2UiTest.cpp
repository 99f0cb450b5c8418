// The window binary in a small host of our own, as an LV2 host embeds it: the
// binary found through the bundle's description, loaded with dlopen, given a
// parent X window, the host's port values and idle calls; what the window
// writes must come back through the host's write function.
#include "bench/LilvHost.h"
#include "host/lv2/TolvoLv2Ports.h"
#include "host/lv2/TolvoLv2Uris.h"

#include "TolvoImages.h"

#include <gtest/gtest.h>
#include <juce_graphics/juce_graphics.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
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

namespace
{
// Distinct numbers for the URIs the window asks for.
LV2_URID mapUri (LV2_URID_Map_Handle, const char* uri)
{
    static std::vector<std::string> uris;

    for (size_t i = 0; i < uris.size(); ++i)
        if (uris[i] == uri)
            return (LV2_URID) i + 1;

    uris.emplace_back (uri);
    return (LV2_URID) uris.size();
}
} // namespace

TEST (Lv2Ui, TakesTheHostsScaleAtTheStartAndWhileOpen)
{
    createWindowManagerAtoms();
    Display* display = XOpenDisplay (nullptr);
    ASSERT_NE (display, nullptr);
    const Window parent = XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, 1300, 700, 0, 0, 0);
    XMapWindow (display, parent);
    XSync (display, False);

    void* library = dlopen (uiBinary().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE (library, nullptr) << dlerror();
    const auto* descriptor = reinterpret_cast<LV2UI_DescriptorFunction> (dlsym (library, "lv2ui_descriptor")) (0);
    const auto* options = static_cast<const LV2_Options_Interface*> (descriptor->extension_data (LV2_OPTIONS__interface));
    ASSERT_NE (options, nullptr);

    LV2_URID_Map map { nullptr, mapUri };
    LV2UI_Resize resize { nullptr, recordSize };
    const LV2_Feature parentFeature { LV2_UI__parent, reinterpret_cast<void*> (parent) };
    const LV2_Feature mapFeature { LV2_URID__map, &map };
    const LV2_Feature resizeFeature { LV2_UI__resize, &resize };
    const auto scaleKey = mapUri (nullptr, LV2_UI__scaleFactor);
    const auto floatType = mapUri (nullptr, LV2_ATOM__Float);

    struct Case
    {
        float scale; // NaN: no option at all
        int width, height;
    };

    // The host's scale at the start: none, or one no screen has, changes nothing.
    for (const auto& c : { Case { NAN, 632, 340 }, Case { 2.0f, 1264, 680 }, Case { 1.5f, 948, 510 }, Case { 0.0f, 632, 340 },
                           Case { INFINITY, 632, 340 } })
    {
        SCOPED_TRACE (c.scale);
        const LV2_Options_Option given[] { { LV2_OPTIONS_INSTANCE, 0, scaleKey, sizeof (float), floatType, &c.scale },
                                           { LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr } };
        const LV2_Feature optionsFeature { LV2_OPTIONS__options, const_cast<LV2_Options_Option*> (given) };
        const LV2_Feature* features[] { &parentFeature, &mapFeature, &resizeFeature, &optionsFeature, nullptr };

        if (std::isnan (c.scale))
            features[3] = nullptr;

        std::vector<Write> writes;
        LV2UI_Widget widget = nullptr;
        requestedWidth = requestedHeight = 0;
        LV2UI_Handle ui = descriptor->instantiate (descriptor, TolvoLv2Uris::stereo, TOLVO_LV2_BUNDLE, recordWrite, &writes, &widget, features);
        ASSERT_NE (ui, nullptr);
        EXPECT_EQ (requestedWidth, c.width);
        EXPECT_EQ (requestedHeight, c.height);
        descriptor->cleanup (ui);
    }

    // While open: the host changes the scale; the plus button is where the
    // scaled window shows it.
    const float two = 2.0f;
    const LV2_Options_Option changed[] { { LV2_OPTIONS_INSTANCE, 0, scaleKey, sizeof (float), floatType, &two },
                                         { LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr } };
    const LV2_Feature* features[] { &parentFeature, &mapFeature, &resizeFeature, nullptr };
    std::vector<Write> writes;
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle ui = descriptor->instantiate (descriptor, TolvoLv2Uris::stereo, TOLVO_LV2_BUNDLE, recordWrite, &writes, &widget, features);
    ASSERT_NE (ui, nullptr);
    EXPECT_EQ (options->set (ui, changed), (uint32_t) LV2_OPTIONS_SUCCESS);
    EXPECT_EQ (requestedWidth, 1264);
    EXPECT_EQ (requestedHeight, 680);

    const auto* idle = static_cast<const LV2UI_Idle_Interface*> (descriptor->extension_data (LV2_UI__idleInterface));
    const auto runFor = [&] (int ms)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds (ms);

        while (std::chrono::steady_clock::now() < end)
        {
            idle->idle (ui);
            std::this_thread::sleep_for (std::chrono::milliseconds (5));
        }
    };

    const auto window = (Window) reinterpret_cast<uintptr_t> (widget);
    runFor (300);
    XWindowAttributes attributes {};
    XGetWindowAttributes (display, window, &attributes);
    EXPECT_EQ (attributes.width, 1264);
    EXPECT_EQ (attributes.height, 680);

    // What shows is drawn from the 2x pictures: the panel's ornament, where
    // nothing lies over it, matches them pixel for pixel.
    const auto panel = juce::PNGImageFormat::loadFrom (TolvoImages::backgroundOn2x_png, (size_t) TolvoImages::backgroundOn2x_pngSize);
    const juce::Rectangle<int> ornament { 2 * 240, 2 * 24, 2 * 150, 2 * 36 };
    XImage* shown = XGetImage (display, window, ornament.getX(), ornament.getY(), (unsigned) ornament.getWidth(),
                               (unsigned) ornament.getHeight(), AllPlanes, ZPixmap);
    ASSERT_NE (shown, nullptr);
    int differing = 0;

    for (int y = 0; y < ornament.getHeight(); ++y)
        for (int x = 0; x < ornament.getWidth(); ++x)
            if ((XGetPixel (shown, x, y) & 0xffffff) != (panel.getPixelAt (ornament.getX() + x, ornament.getY() + y).getARGB() & 0xffffff))
                ++differing;

    XDestroyImage (shown);
    EXPECT_EQ (differing, 0);

    const float level = -2.5f;
    descriptor->port_event (ui, TolvoLv2Ports::level, sizeof (float), 0, &level);
    runFor (150);
    click (display, window, 2 * (245 + 50), 2 * (240 + 50)); // beyond the 1x button
    runFor (250);
    ASSERT_EQ (writes.size(), 1u);
    EXPECT_EQ (writes[0].port, TolvoLv2Ports::level);
    EXPECT_NEAR (writes[0].value, -2.4f, 1.0e-4);

    descriptor->cleanup (ui);
    dlclose (library);
    XDestroyWindow (display, parent);
    XCloseDisplay (display);
}
