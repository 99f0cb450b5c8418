#pragma once

#include <cmath>
#include <vector>

// Program-like stereo material, repeatable from run to run, in a 10 s cycle:
// kick and bass, then tone bursts over the bass, then a transient-rich
// passage of snare and hat hits. Unscaled, peaks sit near 3.0 (about
// +9.5 dBFS); callers scale it to the level they need.
inline std::vector<double> makeProgramSignal (int frames, double rate, int channel)
{
    constexpr double pi = 3.14159265358979323846;
    std::vector<double> x ((size_t) frames);
    unsigned seed = 12345u + 977u * (unsigned) channel;
    double hatState = 0.0;

    auto noise = [&seed]
    {
        seed = seed * 1664525u + 1013904223u;
        return (double) (seed >> 8) / double (1u << 23) - 1.0;
    };

    for (int i = 0; i < frames; ++i)
    {
        const double t = i / rate;
        const double section = std::fmod (t, 10.0);
        const double beat = std::fmod (t, 0.5);
        const double pan = channel == 0 ? 1.0 : 0.8;

        const double kick = 1.8 * std::exp (-beat * 14.0)
                            * std::sin (2.0 * pi * (45.0 * beat + 4.0 * (1.0 - std::exp (-beat * 30.0))));
        const double bass = (0.55 + 0.25 * std::sin (2.0 * pi * 0.25 * t))
                            * (std::sin (2.0 * pi * 55.0 * t) + 0.3 * std::sin (2.0 * pi * 110.0 * t + channel));
        double sample = section < 7.0 ? kick + bass : 0.5 * bass;

        if (section >= 4.0 && section < 7.0)
        {
            const double burst = std::fmod (t, 0.25);
            const double freq = (channel == 0 ? 660.0 : 880.0) * (std::fmod (t, 1.0) < 0.5 ? 1.0 : 1.5);
            sample += (burst < 0.12 ? 1.2 * std::sin (pi * burst / 0.12) : 0.0) * std::sin (2.0 * pi * freq * t) * pan;
        }

        if (section >= 7.0)
        {
            const double snare = std::fmod (t + 0.25, 0.5);
            const double hat = std::fmod (t, 0.125);
            const double n = noise();
            hatState = 0.6 * hatState + 0.4 * n;
            sample += 2.4 * std::exp (-snare * 35.0) * (0.7 * n + 0.3 * std::sin (2.0 * pi * 190.0 * snare));
            sample += 1.2 * std::exp (-hat * 220.0) * (n - hatState) * pan;
            sample += kick;
        }

        x[(size_t) i] = sample;
    }
    return x;
}
