#pragma once

#include "LilvHost.h"

#include <lv2/atom/atom.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One running instance of a mono or stereo LV2 plug-in: its audio, control
// and atom ports connected, control inputs at their defaults, parameters
// settable through control ports.
class HostedPlugin
{
public:
    // Instantiates and activates the plug-in; isValid() tells whether that worked.
    HostedPlugin (LilvHost& host, const LilvPlugin* plugin, double sampleRate, int blockSize);
    ~HostedPlugin();

    HostedPlugin (const HostedPlugin&) = delete;
    HostedPlugin& operator= (const HostedPlugin&) = delete;

    // True when the instance runs, with two audio inputs and two outputs.
    bool isValid() const { return instance != nullptr && audioIn.size() >= 2 && audioOut.size() >= 2; }

    // The plug-in's deactivate and activate, as a host switches it off and on.
    void deactivate() { lilv_instance_deactivate (instance); }
    void activate() { lilv_instance_activate (instance); }

    // Sets the control input with this symbol; false when there is none.
    bool setControl (const std::string& symbol, float value);

    // Runs one block of `numFrames` (at most the block size) from in to out;
    // a mono plug-in takes the left channel only.
    void run (const float* inLeft, const float* inRight, float* outLeft, float* outRight, int numFrames);

    // The latency the plug-in reports on its latency port, frames; -1 if it has none.
    int reportedLatency() const;

private:
    void writeInputEvents();

    LilvHost& host;
    LilvInstance* instance = nullptr;
    std::vector<uint32_t> audioIn, audioOut;
    std::vector<std::pair<std::string, uint32_t>> controlInputs;
    std::vector<float> controlValues;
    int latencyPort = -1;
    LV2_URID chunkType = 0;
    std::vector<uint32_t> atomIn, atomOut;
    std::vector<std::vector<uint64_t>> atomBuffers;
    std::vector<std::vector<float>> spareAudio;
};
