// Shared pieces of the AAX tests: the built library, one loaded host for the
// whole process, and small helpers.
#pragma once

#include <string>
#include <vector>

#include "AaxHost.h"
#include "AudioData.h"
#include "HostInstance.h"
#include "PluginDescription.h"

namespace aaxtest
{
constexpr const char* libraryPath = TOLVO_AAX_LIBRARY_PATH;

// Loaded and started once; registered once with the host's default services.
AaxHost& host();
const PluginDescription& description();
const PluginDescription::Component& component (int channels);

// Runs a command, returns its exit code and puts its standard output in `out`.
int run (const std::string& command, std::string* out = nullptr);

std::string tempPath (const std::string& name);

// A 32-bit float WAV of `audio`, through libsndfile; false if it cannot be written.
bool writeWav (const std::string& path, const AudioData& audio);
// A file's audio through libsndfile; no channels if it cannot be read.
AudioData readWav (const std::string& path);
} // namespace aaxtest
