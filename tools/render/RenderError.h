#pragma once

#include <juce_core/juce_core.h>

// One file's failure, worded for the user; the others still run.
struct RenderError
{
    juce::String message;
};
