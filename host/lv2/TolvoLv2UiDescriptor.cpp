// The window binary's entry point: an X11 UI for both plug-ins, with the idle,
// show and options interfaces (the last for the host's display scale).

#include "host/lv2/TolvoLv2Ui.h"
#include "host/lv2/TolvoLv2Uris.h"

#include <lv2/ui/ui.h>

#include <cstring>
#include <new>

namespace
{
const void* findFeature (const LV2_Feature* const* features, const char* uri)
{
    for (auto* const* f = features; f != nullptr && *f != nullptr; ++f)
        if (std::strcmp ((*f)->URI, uri) == 0)
            return (*f)->data;

    return nullptr;
}

TolvoLv2Ui& ui (LV2UI_Handle handle) { return *static_cast<TolvoLv2Ui*> (handle); }

LV2UI_Handle instantiate (const LV2UI_Descriptor*, const char*, const char*, LV2UI_Write_Function write,
                          LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    try
    {
        auto* parent = const_cast<void*> (findFeature (features, LV2_UI__parent));
        const auto* resize = static_cast<const LV2UI_Resize*> (findFeature (features, LV2_UI__resize));
        const auto* map = static_cast<const LV2_URID_Map*> (findFeature (features, LV2_URID__map));
        const auto* options = static_cast<const LV2_Options_Option*> (findFeature (features, LV2_OPTIONS__options));
        auto* made = new TolvoLv2Ui (write, controller, parent, resize, map, options);

        if (widget != nullptr)
            *widget = made->getWidget();

        return made;
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

void cleanup (LV2UI_Handle handle) { delete static_cast<TolvoLv2Ui*> (handle); }

void portEvent (LV2UI_Handle handle, uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer)
{
    ui (handle).portEvent (port, bufferSize, format, buffer);
}

int idle (LV2UI_Handle handle) { return ui (handle).idle(); }

int show (LV2UI_Handle handle)
{
    ui (handle).show();
    return 0;
}

int hide (LV2UI_Handle handle)
{
    ui (handle).hide();
    return 0;
}

// The host reads no option back.
uint32_t getOptions (LV2_Handle, LV2_Options_Option*) { return LV2_OPTIONS_ERR_UNKNOWN; }

uint32_t setOptions (LV2_Handle handle, const LV2_Options_Option* options)
{
    if (options == nullptr)
        return LV2_OPTIONS_SUCCESS;

    return ui (handle).setOptions (options);
}

const void* extensionData (const char* uri)
{
    static const LV2UI_Idle_Interface idleInterface { idle };
    static const LV2UI_Show_Interface showInterface { show, hide };
    static const LV2_Options_Interface optionsInterface { getOptions, setOptions };

    if (std::strcmp (uri, LV2_OPTIONS__interface) == 0)
        return &optionsInterface;

    if (std::strcmp (uri, LV2_UI__idleInterface) == 0)
        return &idleInterface;

    if (std::strcmp (uri, LV2_UI__showInterface) == 0)
        return &showInterface;

    return nullptr;
}

const LV2UI_Descriptor descriptor { TolvoLv2Uris::ui, instantiate, cleanup, portEvent, extensionData };
} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor (uint32_t index)
{
    return index == 0 ? &descriptor : nullptr;
}
