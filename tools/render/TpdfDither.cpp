#include "tools/render/TpdfDither.h"

#include <cmath>

double TpdfDither::nextUniform()
{
    // xorshift64*: fast, and far longer than any file.
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return (double) ((state * 0x2545f4914f6cdd1dull) >> 11) * (1.0 / 9007199254740992.0); // [0, 1)
}

std::int32_t TpdfDither::quantise (float x, double scale, bool& clipped)
{
    const double noise = nextUniform() - nextUniform(); // triangular on (-1, 1)
    const double stepped = std::floor ((double) x * scale + noise + 0.5);
    clipped = stepped > scale - 1.0 || stepped < -scale;
    return (std::int32_t) std::fmin (std::fmax (stepped, -scale), scale - 1.0);
}
