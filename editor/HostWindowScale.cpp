#include "HostWindowScale.h"

#if JUCE_WINDOWS
#include <windows.h>

namespace juce
{
double getScaleFactorForWindow (HWND);
}
#endif

void HostWindowScale::follow ([[maybe_unused]] juce::Component& editor)
{
#if JUCE_WINDOWS
    auto* peer = editor.getPeer();

    if (peer == nullptr)
        return;

    const auto host = GetParent (static_cast<HWND> (peer->getNativeHandle()));

    if (host == nullptr)
        return;

    const auto scale = (float) juce::getScaleFactorForWindow (host);

    if (scale <= 0.0f || juce::approximatelyEqual (scale, seen))
        return;

    seen = scale;
    auto& desktop = juce::Desktop::getInstance();

    if (juce::approximatelyEqual (scale, desktop.getGlobalScaleFactor()))
        return;

    desktop.setGlobalScaleFactor (scale);
    // The native window kept its physical size, so its component shrank in
    // logical pixels; giving it the editor's size again sizes the native
    // window and asks the host for the scaled size.
    editor.getTopLevelComponent()->setSize (editor.getWidth(), editor.getHeight());
#endif
}
