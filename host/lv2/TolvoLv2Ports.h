#pragma once

#include <cstdint>

// Port indices as the bundle's description (Tolvo.ttl.in) declares them. The
// control ports come first, so the mono and the stereo plug-in and the window
// number them alike.
namespace TolvoLv2Ports
{
inline constexpr uint32_t enable = 0; // "Enable", 0 or 1
inline constexpr uint32_t level = 1; // "Level", dB
inline constexpr uint32_t enabled = 2; // the host's bypass: 0 bypasses
inline constexpr uint32_t latency = 3; // output, frames
inline constexpr uint32_t firstAudio = 4; // the inputs, then the outputs, one per channel
} // namespace TolvoLv2Ports
