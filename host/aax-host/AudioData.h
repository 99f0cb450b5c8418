#pragma once

#include <vector>

// Audio in memory for the stand-in host, one vector of samples per channel.
struct AudioData
{
    double sampleRate = 0;
    std::vector<std::vector<float>> channels;

    int numChannels() const { return static_cast<int> (channels.size()); }
    size_t numFrames() const { return channels.empty() ? 0 : channels.front().size(); }
};
