// The state block a TolvoAudioProcessor of our own returns for given settings,
// to compare with what the plug-in library hands the host.
#pragma once

#include <vector>

std::vector<char> processorStateFor (bool enable, float levelDb);

// A new processor's state, parameters untouched.
std::vector<char> processorDefaultState();
