#pragma once

#include <cstdint>

// Triangular (TPDF) dither of +-1 LSB before rounding to whole steps: the sum
// of two independent uniform values of up to half a step each. The noise comes
// from a fixed seed, so the same input always renders to the same file.
class TpdfDither
{
public:
    /** Rounds x * scale to a whole step with dither, limited to [-scale, scale - 1]; sets `clipped` when limited. */
    std::int32_t quantise (float x, double scale, bool& clipped);

private:
    double nextUniform();

    std::uint64_t state = 0x9e3779b97f4a7c15ull;
};
