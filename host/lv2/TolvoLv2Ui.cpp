#include "host/lv2/TolvoLv2Ui.h"

#include "host/lv2/TolvoLv2Ports.h"

#include <lv2/atom/atom.h>

#include <cmath>

namespace juce
{
// The framework's own Linux event loop step (juce_linux_Messaging.cpp), which
// its plug-in clients run from the host's idle calls in the same way.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

TolvoLv2Ui::TolvoLv2Ui (LV2UI_Write_Function w, LV2UI_Controller c, void* parentWindow,
                        const LV2UI_Resize* r, const LV2_URID_Map* map, const LV2_Options_Option* options) :
    write (w),
    controller (c), resize (r)
{
    juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();

    window = std::make_unique<TolvoLv2UiWindow> (std::unique_ptr<juce::Component> (parameters.createEditor()));
    parameters.addListener (this);

    if (map != nullptr && map->map != nullptr)
    {
        scaleFactorKey = map->map (map->handle, LV2_UI__scaleFactor);
        floatType = map->map (map->handle, LV2_ATOM__Float);
    }

    if (options != nullptr)
        setOptions (options);

    if (parentWindow != nullptr)
        window->embedInto (parentWindow);

    requestSize();
}

TolvoLv2Ui::~TolvoLv2Ui()
{
    juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
    parameters.removeListener (this);
    window.reset();
}

void* TolvoLv2Ui::getWidget() const
{
    return window->getWindowHandle();
}

void TolvoLv2Ui::portEvent (uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer)
{
    if (format != 0 || bufferSize != sizeof (float) || buffer == nullptr)
        return;

    const float value = *static_cast<const float*> (buffer);

    // Set without telling the listeners: the host's own value goes back to
    // no one. The editor shows it at its next poll.
    juce::AudioProcessorParameter& enable = *parameters.enableParam;
    juce::AudioProcessorParameter& level = *parameters.levelParam;

    if (port == TolvoLv2Ports::enable)
        enable.setValue (value >= 0.5f ? 1.0f : 0.0f);
    else if (port == TolvoLv2Ports::level && ! std::isnan (value))
        level.setValue (parameters.levelParam->convertTo0to1 (value));
}

int TolvoLv2Ui::idle()
{
    juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();

    while (juce::dispatchNextMessageOnSystemQueue (true))
    {
    }

    return window->wasClosed() ? 1 : 0;
}

LV2_Options_Status TolvoLv2Ui::setOptions (const LV2_Options_Option* options)
{
    juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();

    for (auto* o = options; scaleFactorKey != 0 && o != nullptr && (o->key != 0 || o->value != nullptr); ++o)
    {
        if (o->key != scaleFactorKey || o->type != floatType || o->size != sizeof (float) || o->value == nullptr)
            continue;

        // A scale that no screen has is the host's mistake: it changes nothing.
        const auto scale = *static_cast<const float*> (o->value);

        if (std::isfinite (scale) && scale >= TolvoLv2UiWindow::minimumScale && scale <= TolvoLv2UiWindow::maximumScale
            && scale != window->getScale())
        {
            window->setScale (scale);
            requestSize();
        }
    }

    return LV2_OPTIONS_SUCCESS;
}

void TolvoLv2Ui::requestSize()
{
    if (resize != nullptr && resize->ui_resize != nullptr)
        resize->ui_resize (resize->handle, window->getWidth(), window->getHeight());
}

void TolvoLv2Ui::show() { window->show(); }
void TolvoLv2Ui::hide() { window->hide(); }

void TolvoLv2Ui::audioProcessorParameterChanged (juce::AudioProcessor*, int index, float)
{
    if (parameters.enableParam->getParameterIndex() == index)
        writePort (TolvoLv2Ports::enable, parameters.enableParam->get() ? 1.0f : 0.0f);
    else if (parameters.levelParam->getParameterIndex() == index)
        writePort (TolvoLv2Ports::level, parameters.levelParam->get());
}

void TolvoLv2Ui::writePort (uint32_t port, float value)
{
    if (write != nullptr)
        write (controller, port, sizeof (value), 0, &value);
}
