#pragma once

#include <vector>

// A plain delay of a fixed number of frames for up to two channels: what the
// host's bypass passes, so a bypassed track stays as late as the latency the
// plug-in reports.
class BypassDelay
{
public:
    // Sizes the delay and fills it with silence; the only call that allocates.
    void setLength (int numFrames);

    // Fills the delay with silence.
    void clear() noexcept;

    // The delay in frames.
    int getLength() const noexcept { return length; }

    // Puts out the sample stored `length` calls earlier on that channel (0 or
    // 1) and stores the new one; advance() moves on to the next frame.
    double exchange (int channel, double sample) noexcept;

    // Moves the delay on by one frame.
    void advance() noexcept;

private:
    int length = 0;
    int position = 0;
    std::vector<double> ring[2];
};
