#include "processor/BypassDelay.h"

#include <algorithm>

void BypassDelay::setLength (int numFrames)
{
    length = std::max (0, numFrames);
    position = 0;

    for (auto& r : ring)
        r.assign ((size_t) length, 0.0);
}

void BypassDelay::clear() noexcept
{
    position = 0;

    for (auto& r : ring)
        std::fill (r.begin(), r.end(), 0.0);
}

double BypassDelay::exchange (int channel, double sample) noexcept
{
    if (length == 0)
        return sample;

    double& slot = ring[channel][(size_t) position];
    const double out = slot;
    slot = sample;
    return out;
}

void BypassDelay::advance() noexcept
{
    if (length != 0 && ++position == length)
        position = 0;
}
