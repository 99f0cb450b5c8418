#pragma once

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A bare LV2 host for one plug-in instance: the library opened with dlopen,
// the features the framework's client requires, stereo audio ports and the
// control sequences. Lets tests call activate, deactivate and the state
// interface directly, which the framework's own hosting never does on one
// instance.
class Lv2Host
{
public:
    // Opens the library and instantiates its first plug-in at the rate.
    Lv2Host (const std::string& libraryPath, double sampleRate, int maxBlock);
    ~Lv2Host();

    Lv2Host (const Lv2Host&) = delete;
    Lv2Host& operator= (const Lv2Host&) = delete;

    // Whether the instance exists.
    bool ok() const { return instance != nullptr; }

    // The plug-in's activate and deactivate, as a host calls them.
    void activate();
    void deactivate();

    // Runs frames through in place (left, right); an empty run is allowed.
    void run (float* left, float* right, int numFrames);

    // The values of the patch:Set messages on the output port of the last run,
    // by parameter URI.
    const std::map<std::string, float>& reportedValues() const { return reported; }

    // Hands the plug-in a state property (key URI, string value) to restore.
    bool restoreString (const std::string& keyUri, const std::string& value);

    // The integer a URI maps to.
    LV2_URID map (const char* uri);

private:
    static LV2_URID mapUri (LV2_URID_Map_Handle, const char* uri);
    static const void* retrieve (LV2_State_Handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags);

    void* library = nullptr;
    const LV2_Descriptor* descriptor = nullptr;
    LV2_Handle instance = nullptr;

    std::vector<std::string> uris;
    LV2_URID_Map mapFeature {};
    int32_t maxBlockLength = 0;
    std::vector<LV2_Options_Option> options;
    std::vector<LV2_Feature> featureStorage;
    std::vector<const LV2_Feature*> features;

    std::vector<uint8_t> inputSequence, outputSequence;
    float latency = 0.0f, freeWheeling = 0.0f, enabled = 1.0f;
    std::map<std::string, float> reported;

    LV2_URID stateKey = 0;
    std::string stateValue;
};
