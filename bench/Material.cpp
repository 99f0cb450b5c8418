#include "Material.h"

#include "tools/ProgramSignal.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

namespace
{
constexpr double pi = 3.14159265358979323846;
constexpr double ceilingDb = -0.1;

double dbToGain (double db) { return std::pow (10.0, db / 20.0); }

// Scaled so that the larger channel peaks at `peak` (unscaled for 0).
Material fromDouble (std::string name, const std::vector<double>& l, const std::vector<double>& r, double peak)
{
    double largest = 0.0;
    for (size_t i = 0; i < l.size(); ++i)
        largest = std::max ({ largest, std::abs (l[i]), std::abs (r[i]) });

    const double scale = largest > 0.0 && peak > 0.0 ? peak / largest : 1.0;
    Material s { std::move (name), {}, {} };
    for (size_t i = 0; i < l.size(); ++i)
    {
        s.left.push_back ((float) (l[i] * scale));
        s.right.push_back ((float) (r[i] * scale));
    }
    return s;
}

Material program (int frames, double rate)
{
    return fromDouble ("program", makeProgramSignal (frames, rate, 0), makeProgramSignal (frames, rate, 1), 0.0);
}

Material sweep (int frames, double rate)
{
    // Logarithmic, 20 Hz to 20 kHz, at +3 dBFS.
    std::vector<double> l ((size_t) frames), r ((size_t) frames);
    const double duration = frames / rate, k = std::log (1000.0);
    for (int i = 0; i < frames; ++i)
    {
        const double t = i / rate;
        const double phase = 2.0 * pi * 20.0 * duration / k * (std::exp (k * t / duration) - 1.0);
        l[(size_t) i] = std::sin (phase);
        r[(size_t) i] = std::sin (phase + 0.5);
    }
    return fromDouble ("sweep", l, r, 1.41);
}

Material pinkBursts (int frames, double rate)
{
    // Pink noise (Kellet's filter) in 250 ms bursts with silence between.
    std::mt19937 random (1234u);
    std::uniform_real_distribution<double> white (-1.0, 1.0);
    std::vector<double> ch[2];
    for (auto& x : ch)
    {
        double b0 = 0, b1 = 0, b2 = 0;
        x.resize ((size_t) frames);
        for (int i = 0; i < frames; ++i)
        {
            const double w = white (random);
            b0 = 0.99765 * b0 + w * 0.0990460;
            b1 = 0.96300 * b1 + w * 0.2965164;
            b2 = 0.57000 * b2 + w * 1.0526913;
            const bool on = std::fmod (i / rate, 0.5) < 0.25;
            x[(size_t) i] = on ? b0 + b1 + b2 + w * 0.1848 : 0.0;
        }
    }
    return fromDouble ("bursts", ch[0], ch[1], 2.0);
}

Material drums (int frames, double rate)
{
    // Kick, snare and hats at 120 BPM, with some velocity variation.
    std::mt19937 random (99u);
    std::uniform_real_distribution<double> white (-1.0, 1.0);
    std::vector<double> l ((size_t) frames), r ((size_t) frames);
    double hatLow = 0.0;
    for (int i = 0; i < frames; ++i)
    {
        const double t = i / rate;
        const double beat = std::fmod (t, 0.5), eighth = std::fmod (t, 0.25);
        const int bar = (int) (t / 2.0);
        const double velocity = 0.8 + 0.2 * std::sin (bar * 1.7);
        const double n = white (random);
        hatLow = 0.7 * hatLow + 0.3 * n;

        const double kick = velocity * std::exp (-beat * 12.0) * std::sin (2.0 * pi * (45.0 * beat + 3.5 * (1.0 - std::exp (-beat * 25.0))));
        const double snareTime = std::fmod (t + 0.5, 1.0);
        const double snare = std::exp (-snareTime * 30.0) * (0.8 * n + 0.4 * std::sin (2.0 * pi * 185.0 * snareTime));
        const double hat = 0.5 * std::exp (-eighth * 180.0) * (n - hatLow);

        l[(size_t) i] = kick + snare + 1.2 * hat;
        r[(size_t) i] = kick + 0.9 * snare + 0.8 * hat;
    }
    return fromDouble ("drums", l, r, 2.5);
}

// A sine at `peakDb` dBFS, the right channel a quarter period behind.
Material sine (std::string name, double frequency, double peakDb, int frames, double rate)
{
    std::vector<double> l ((size_t) frames), r ((size_t) frames);
    for (int i = 0; i < frames; ++i)
    {
        const double phase = 2.0 * pi * frequency * i / rate;
        l[(size_t) i] = std::sin (phase);
        r[(size_t) i] = std::sin (phase - pi / 2.0);
    }
    return fromDouble (std::move (name), l, r, dbToGain (peakDb));
}

// A kit as a sampler plays it: fixed recorded-like hits (kick with a beater
// click, snare with rattle, toms, closed and open hats, a crash with a long
// noisy tail), each panned, retriggered in a 16-step pattern at 100 BPM with
// velocity and a little timing spread, summed with some room (a short
// decaying noise convolution would be costly; two comb echoes stand in).
Material sampledKit (int frames, double rate)
{
    std::mt19937 random (7u);
    std::uniform_real_distribution<double> white (-1.0, 1.0);
    std::normal_distribution<double> jitter (0.0, 0.002);

    auto hit = [&] (double seconds, const std::function<double (double, double)>& shape)
    {
        std::vector<double> x ((size_t) (seconds * rate));
        double low = 0.0;
        for (size_t i = 0; i < x.size(); ++i)
        {
            const double n = white (random);
            low = 0.8 * low + 0.2 * n;
            x[i] = shape ((double) i / rate, n - low);
        }
        return x;
    };

    const std::vector<double> kick = hit (0.5, [] (double t, double n)
                                          { return std::exp (-t * 9.0) * std::sin (2.0 * pi * (50.0 * t + 6.0 * (1.0 - std::exp (-t * 40.0))))
                                                   + 0.6 * std::exp (-t * 400.0) * n; });
    const std::vector<double> snare = hit (0.4, [] (double t, double n)
                                           { return 0.7 * std::exp (-t * 18.0) * n + 0.5 * std::exp (-t * 25.0) * std::sin (2.0 * pi * 200.0 * t)
                                                    + 0.3 * std::exp (-t * 30.0) * std::sin (2.0 * pi * 330.0 * t); });
    const std::vector<double> tom = hit (0.6, [] (double t, double n)
                                         { return std::exp (-t * 7.0) * std::sin (2.0 * pi * (110.0 * t + 1.5 * (1.0 - std::exp (-t * 20.0))))
                                                  + 0.15 * std::exp (-t * 60.0) * n; });
    const std::vector<double> closedHat = hit (0.08, [] (double t, double n)
                                               { return 0.6 * std::exp (-t * 70.0) * n; });
    const std::vector<double> openHat = hit (0.4, [] (double t, double n)
                                             { return 0.5 * std::exp (-t * 9.0) * n; });
    const std::vector<double> crash = hit (2.5, [] (double t, double n)
                                           { return 0.7 * std::exp (-t * 1.6) * n; });

    struct Voice
    {
        const std::vector<double>* sample;
        double pan; // 0 left .. 1 right
        const char* steps; // 16 steps: '.' rest, 'x' hit, 'o' accent
    };
    const Voice voices[] = {
        { &kick, 0.5, "o..x..x.o.x...x." },
        { &snare, 0.45, "....o.......o..x" },
        { &tom, 0.7, "..............xx" },
        { &closedHat, 0.3, "x.x.x.x.x.x.x..." },
        { &openHat, 0.3, "..............o." },
        { &crash, 0.8, "o..............." },
    };

    std::vector<double> l ((size_t) frames), r ((size_t) frames);
    const double step = 60.0 / 100.0 / 4.0;
    for (int s = 0; s * step * rate < frames; ++s)
        for (const Voice& v : voices)
        {
            const char c = v.steps[s % 16];
            if (c == '.' || (v.sample == &crash && s % 64 != 0))
                continue;
            const double velocity = (c == 'o' ? 1.0 : 0.7) * (0.85 + 0.15 * white (random));
            const int start = std::max (0, (int) ((s * step + jitter (random)) * rate));
            for (size_t i = 0; i < v.sample->size() && start + (int) i < frames; ++i)
            {
                const double x = velocity * (*v.sample)[i];
                l[(size_t) start + i] += x * std::sqrt (1.0 - v.pan);
                r[(size_t) start + i] += x * std::sqrt (v.pan);
            }
        }

    // Room: two feedback combs, a little apart per channel.
    for (auto* ch : { &l, &r })
    {
        const int d1 = (int) (rate * (ch == &l ? 0.0297 : 0.0311)), d2 = (int) (rate * (ch == &l ? 0.0371 : 0.0389));
        std::vector<double> wet (ch->size());
        for (size_t i = 0; i < ch->size(); ++i)
            wet[i] = (*ch)[i] + (i >= (size_t) d1 ? 0.35 * wet[i - (size_t) d1] : 0.0) + (i >= (size_t) d2 ? 0.3 * wet[i - (size_t) d2] : 0.0);
        for (size_t i = 0; i < ch->size(); ++i)
            (*ch)[i] += 0.25 * wet[i];
    }
    return fromDouble ("sampled kit", l, r, dbToGain (8.0));
}

// Speech-like: syllables of a glottal pulse train (100 to 220 Hz, gliding)
// through two vowel formants, consonants of filtered noise, pauses between
// words over a room tone; the right channel is the left with a little delay
// and colour.
Material speech (int frames, double rate)
{
    std::mt19937 random (31u);
    std::uniform_real_distribution<double> white (-1.0, 1.0);
    std::uniform_real_distribution<double> unit (0.0, 1.0);
    const double formants[][2] = { { 730, 1090 }, { 270, 2290 }, { 530, 1840 }, { 300, 870 }, { 660, 1720 } };

    // Two-pole resonator state.
    struct Resonator
    {
        double a1 = 0, a2 = 0, b = 0, y1 = 0, y2 = 0;
        void tune (double f, double bandwidth, double rate)
        {
            const double radius = std::exp (-pi * bandwidth / rate);
            a1 = 2.0 * radius * std::cos (2.0 * pi * f / rate);
            a2 = -radius * radius;
            b = 1.0 - radius;
        }
        double operator() (double x)
        {
            const double y = b * x + a1 * y1 + a2 * y2;
            y2 = y1;
            y1 = y;
            return y;
        }
    };

    std::vector<double> l ((size_t) frames);
    Resonator f1, f2, hiss;
    double phase = 0.0, room = 0.0;
    size_t i = 0;
    while (i < (size_t) frames)
    {
        // A word: 1 to 4 syllables, then a pause.
        const int syllables = 1 + (int) (unit (random) * 4.0);
        for (int s = 0; s < syllables && i < (size_t) frames; ++s)
        {
            const double consonant = 0.03 + 0.05 * unit (random);
            const double vowel = 0.12 + 0.12 * unit (random);
            const auto& f = formants[(size_t) (unit (random) * 5.0) % 5];
            f1.tune (f[0], 80.0, rate);
            f2.tune (f[1], 120.0, rate);
            hiss.tune (3500.0 + 3000.0 * unit (random), 1500.0, rate);
            const double startPitch = 100.0 + 120.0 * unit (random), endPitch = 100.0 + 120.0 * unit (random);
            const double loud = 0.6 + 0.4 * unit (random);

            for (double u = 0.0; u < consonant && i < (size_t) frames; u += 1.0 / rate, ++i)
                l[i] = 0.3 * loud * std::sin (pi * u / consonant) * hiss (white (random));
            for (double u = 0.0; u < vowel && i < (size_t) frames; u += 1.0 / rate, ++i)
            {
                const double pitch = startPitch + (endPitch - startPitch) * u / vowel;
                phase += pitch / rate;
                const double pulse = phase >= 1.0 ? 1.0 : 0.0;
                phase -= std::floor (phase);
                const double envelope = std::sin (pi * u / vowel);
                const double source = pulse + 0.02 * white (random);
                l[i] = loud * envelope * (f1 (source) * 6.0 + f2 (source) * 3.0);
            }
        }
        // Room tone between words: low, and mostly low in frequency.
        const double pause = 0.05 + 0.3 * unit (random);
        for (double u = 0.0; u < pause && i < (size_t) frames; u += 1.0 / rate, ++i)
        {
            room = 0.995 * room + 0.005 * white (random);
            l[i] = 0.02 * room;
        }
    }

    std::vector<double> r ((size_t) frames);
    const size_t delay = (size_t) (0.0004 * rate);
    double low = 0.0;
    for (size_t k = 0; k < r.size(); ++k)
    {
        low = 0.7 * low + 0.3 * (k >= delay ? l[k - delay] : 0.0);
        r[k] = 0.6 * low + 0.3 * (k >= delay ? l[k - delay] : 0.0);
    }
    return fromDouble ("speech", l, r, dbToGain (6.0));
}
} // namespace

std::vector<Material> makeMaterials (int frames, double rate)
{
    const double over = ceilingDb + 6.0;
    std::vector<Material> m;
    m.push_back (program (frames, rate));
    m.push_back (sweep (frames, rate));
    m.push_back (pinkBursts (frames, rate));
    m.push_back (drums (frames, rate));
    m.push_back (sine ("sine 10k over", 10000.0, over, frames, rate));
    m.push_back (sine ("sine 10k 0dBFS", 10000.0, 0.0, frames, rate));
    m.push_back (sine ("sine 1k over", 1000.0, over, frames, rate));
    m.push_back (sine ("sine 1k 0dBFS", 1000.0, 0.0, frames, rate));
    m.push_back (sine ("sine 100 over", 100.0, over, frames, rate));
    m.push_back (sine ("sine 100 0dBFS", 100.0, 0.0, frames, rate));
    m.push_back (sampledKit (frames, rate));
    m.push_back (speech (frames, rate));
    return m;
}

std::vector<std::string> materialNames()
{
    std::vector<std::string> names;
    for (const auto& m : makeMaterials (1, 48000.0))
        names.push_back (m.name);
    return names;
}
