// Minimal WAV reading and writing for the stand-in host: PCM 16/24/32-bit and
// IEEE float 32/64-bit in, 32-bit float out.
#pragma once

#include <string>
#include <vector>

struct WavFile
{
    double sampleRate = 0;
    std::vector<std::vector<float>> channels; // one vector of samples per channel

    int numChannels() const { return static_cast<int> (channels.size()); }
    size_t numFrames() const { return channels.empty() ? 0 : channels.front().size(); }

    // Empty string on success, else what is wrong.
    static std::string read (const std::string& path, WavFile& out);
    static std::string write (const std::string& path, const WavFile& wav);
};
