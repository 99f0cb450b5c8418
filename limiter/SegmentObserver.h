#pragma once

#include <cstdint>

// Hears where the engine closes each channel's half-wave segments, for tools
// that explain its output. Called on the audio thread, inside processBlock.
class SegmentObserver
{
public:
    virtual ~SegmentObserver() = default;

    /** `channel`'s segment of the `length` frames from input frame `start`
        (counted from the last setLookahead) closed: judged by the peak
        estimate `estimate`, to which the gain curve gives `gain`. A segment
        with nothing left in the ring to judge has length 0. */
    virtual void segmentClosed (int channel, std::int64_t start, int length, double estimate, double gain) noexcept = 0;
};
