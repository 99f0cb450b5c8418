#pragma once

#include <limits>

// The four-tap sinc interpolation of the limiter's peak estimate, with its
// weights worked out once per sample rate. Each weight is kept as the sine
// and the argument it is made of, so that every tap is still x * sin(u) / u,
// bit for bit the value the direct formula gives.
class SincTable
{
public:
    // Number of interpolation points, t = 1.5, 1.7, ... 3.3.
    static constexpr int numPoints = 10;

    // Works the weights out for `sampleRate`; cheap to call again at the same rate.
    void build (double sampleRate) noexcept;

    // True when the table holds the weights of exactly this rate.
    bool isBuiltFor (double sampleRate) const noexcept { return builtRate == sampleRate; }

    // Largest |v(t)| of the interpolation through x1..x4 at sample times 1..4.
    double peak (double x1, double x2, double x3, double x4) const noexcept;

private:
    static constexpr int numTaps = 4;

    double builtRate = std::numeric_limits<double>::quiet_NaN();
    alignas (16) double sines[numTaps][numPoints] {};
    alignas (16) double arguments[numTaps][numPoints] {};
};
