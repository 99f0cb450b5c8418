// Side-by-side cost and quality of Tolvo and Debian's LV2 peak limiters, all
// hosted through lilv on the same generated material, block size and ceiling.
//
//   compare [--passes N] [--seconds S] [--only LABEL-PREFIX]
//           [--material program|sweep|bursts|drums]
//
// Per plug-in and rate: CPU time per stereo frame (median of the timed passes
// after one warm-up pass, thread CPU time; the plug-ins take their passes in
// turns), the real-time factor, the latency it reports, the output's true
// peak above the ceiling (ITU-R BS.1770-4, libebur128) worst and mean over the
// materials, and the mean change of integrated loudness.

#include "HostedPlugin.h"
#include "LilvHost.h"
#include "tools/ProgramSignal.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{
constexpr double pi = 3.14159265358979323846;
constexpr int blockSize = 512;
constexpr double ceilingDb = -0.1;

struct Stereo
{
    std::string name;
    std::vector<float> left, right;
};

struct Contender
{
    std::string label;
    std::string uri;
    std::function<void (HostedPlugin&)> setCeiling;
};

// ---------------------------------------------------------------------------
// Material: program-like, 10 s or more each.

Stereo fromDouble (std::string name, const std::vector<double>& l, const std::vector<double>& r, double peak)
{
    double largest = 0.0;
    for (size_t i = 0; i < l.size(); ++i)
        largest = std::max ({ largest, std::abs (l[i]), std::abs (r[i]) });

    const double scale = largest > 0.0 && peak > 0.0 ? peak / largest : 1.0;
    Stereo s { std::move (name), {}, {} };
    for (size_t i = 0; i < l.size(); ++i)
    {
        s.left.push_back ((float) (l[i] * scale));
        s.right.push_back ((float) (r[i] * scale));
    }
    return s;
}

Stereo programMaterial (int frames, double rate)
{
    return fromDouble ("program", makeProgramSignal (frames, rate, 0), makeProgramSignal (frames, rate, 1), 0.0);
}

Stereo sweep (int frames, double rate)
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

Stereo pinkBursts (int frames, double rate)
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
    return fromDouble ("pink bursts", ch[0], ch[1], 2.0);
}

Stereo drums (int frames, double rate)
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

// ---------------------------------------------------------------------------
// Measurement.

double threadSeconds()
{
    timespec ts {};
    clock_gettime (CLOCK_THREAD_CPUTIME_ID, &ts);
    return (double) ts.tv_sec + 1e-9 * (double) ts.tv_nsec;
}

void runThrough (HostedPlugin& plugin, const Stereo& in, std::vector<float>& outLeft, std::vector<float>& outRight)
{
    const int frames = (int) in.left.size();
    for (int start = 0; start < frames; start += blockSize)
    {
        const int n = std::min (blockSize, frames - start);
        plugin.run (in.left.data() + start, in.right.data() + start, outLeft.data() + start, outRight.data() + start, n);
    }
}

struct Loudness
{
    double integratedLufs = 0.0;
    double truePeakDb = 0.0;
};

Loudness measure (const std::vector<float>& l, const std::vector<float>& r, size_t from, size_t count, double rate)
{
    ebur128_state* st = ebur128_init (2, (unsigned long) rate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    std::vector<float> interleaved;
    interleaved.reserve (2 * count);
    for (size_t i = from; i < from + count; ++i)
    {
        interleaved.push_back (l[i]);
        interleaved.push_back (r[i]);
    }
    ebur128_add_frames_float (st, interleaved.data(), count);

    Loudness result;
    ebur128_loudness_global (st, &result.integratedLufs);
    double tp = 0.0;
    for (unsigned ch = 0; ch < 2; ++ch)
    {
        double channelPeak = 0.0;
        ebur128_true_peak (st, ch, &channelPeak);
        tp = std::max (tp, channelPeak);
    }
    result.truePeakDb = 20.0 * std::log10 (std::max (tp, 1e-20));
    ebur128_destroy (&st);
    return result;
}

struct Result
{
    bool ran = false;
    double nsPerFrame = 0.0;
    double realTimeFactor = 0.0;
    int latency = -1;
    double worstOverDb = -1e9;
    double meanOverDb = 0.0;
    double meanLoudnessChangeDb = 0.0;
};

// Quality: a fresh instance per material, its latency flushed out with silence.
Result judge (LilvHost& host, const LilvPlugin* plugin, const Contender& c, const std::vector<Stereo>& materials, double rate)
{
    Result result;
    for (const auto& m : materials)
    {
        HostedPlugin instance (host, plugin, rate, blockSize);
        if (! instance.isValid())
            return result;
        c.setCeiling (instance);

        Stereo padded = m;
        padded.left.resize (m.left.size() + (size_t) rate, 0.0f);
        padded.right.resize (m.right.size() + (size_t) rate, 0.0f);
        std::vector<float> outL (padded.left.size()), outR (padded.right.size());
        runThrough (instance, padded, outL, outR);

        const int latency = std::max (0, instance.reportedLatency());
        result.latency = instance.reportedLatency();
        const auto in = measure (m.left, m.right, 0, m.left.size(), rate);
        const auto out = measure (outL, outR, (size_t) latency, m.left.size(), rate);
        const double over = out.truePeakDb - ceilingDb;
        result.worstOverDb = std::max (result.worstOverDb, over);
        result.meanOverDb += over / (double) materials.size();
        result.meanLoudnessChangeDb += (out.integratedLufs - in.integratedLufs) / (double) materials.size();
    }
    result.ran = true;
    return result;
}

// Cost: thread CPU time of one pass of an instance through all materials.
double timePass (HostedPlugin& instance, const std::vector<Stereo>& materials)
{
    std::vector<float> outL ((size_t) blockSize), outR ((size_t) blockSize);
    const double start = threadSeconds();
    for (const auto& m : materials)
    {
        const int n = (int) m.left.size();
        for (int i = 0; i < n; i += blockSize)
            instance.run (m.left.data() + i, m.right.data() + i, outL.data(), outR.data(), std::min (blockSize, n - i));
    }
    return threadSeconds() - start;
}
} // namespace

int main (int argc, char** argv)
{
    int passes = 5;
    double secondsPerMaterial = 10.0;
    std::string only;
    std::string material;
    for (int i = 1; i + 1 < argc; i += 2)
    {
        const std::string option = argv[i];
        if (option == "--passes")
            passes = std::max (1, std::atoi (argv[i + 1]));
        else if (option == "--seconds")
            secondsPerMaterial = std::max (1.0, std::atof (argv[i + 1]));
        else if (option == "--only")
            only = argv[i + 1];
        else if (option == "--material")
            material = argv[i + 1];
    }

    const std::vector<std::string> names = { "program", "sweep", "bursts", "drums" };
    const auto chosen = std::find (names.begin(), names.end(), material);
    if (! material.empty() && chosen == names.end())
    {
        std::fprintf (stderr, "compare: --material takes program, sweep, bursts or drums\n");
        return 2;
    }

    LilvHost host ({ TOLVO_LV2_BUNDLE "/" }, blockSize);
    const float ceilingGain = (float) std::pow (10.0, ceilingDb / 20.0);

    const std::vector<Contender> contenders = {
        { "Tolvo", TOLVO_LV2_URI, [] (HostedPlugin& p)
          { p.setControl ("dbMain", (float) ceilingDb); } },
        { "x42 dpl, sample peak", "http://gareus.org/oss/lv2/dpl#stereo", [] (HostedPlugin& p)
          { p.setControl ("threshold", (float) ceilingDb); p.setControl ("truepeak", 0.0f); } },
        { "x42 dpl, true peak", "http://gareus.org/oss/lv2/dpl#stereo", [] (HostedPlugin& p)
          { p.setControl ("threshold", (float) ceilingDb); p.setControl ("truepeak", 1.0f); } },
        { "LSP Limiter stereo", "http://lsp-plug.in/plugins/lv2/limiter_stereo", [ceilingGain] (HostedPlugin& p)
          { p.setControl ("th", ceilingGain); p.setControl ("boost", 0.0f); } },
        { "ZaMaximX2", "urn:zamaudio:ZaMaximX2", [] (HostedPlugin& p)
          { p.setControl ("ceil", (float) ceilingDb); } },
    };

    std::printf ("Block %d frames, ceiling %.1f dB, %d timed passes after a warm-up, %.0f s per material\n"
                 "(program, sweep, pink bursts, drums); ns per stereo frame is thread CPU time.\n\n",
                 blockSize, ceilingDb, passes, secondsPerMaterial);
    std::printf ("| Rate | Plug-in | ns/frame | real-time factor | latency (frames) | true peak over ceiling, worst / mean (dB) | loudness change (LU) |\n");
    std::printf ("|---|---|---|---|---|---|---|\n");

    for (double rate : { 44100.0, 48000.0 })
    {
        const int frames = (int) (secondsPerMaterial * rate);
        std::vector<Stereo> materials = { programMaterial (frames, rate), sweep (frames, rate),
                                          pinkBursts (frames, rate), drums (frames, rate) };
        if (chosen != names.end())
            materials = { materials[(size_t) (chosen - names.begin())] };
        size_t framesTimed = 0;
        for (const auto& m : materials)
            framesTimed += m.left.size();

        // Every plug-in's quality, then its cost: one instance each, a
        // warm-up pass, then the timed passes taken in turns, so that a busy
        // moment of the machine falls on all of them alike.
        std::vector<Result> results (contenders.size());
        std::vector<std::unique_ptr<HostedPlugin>> instances (contenders.size());
        std::vector<std::vector<double>> seconds (contenders.size());
        for (size_t k = 0; k < contenders.size(); ++k)
        {
            const LilvPlugin* plugin = host.findPlugin (contenders[k].uri);
            if (contenders[k].label.rfind (only, 0) != 0 || plugin == nullptr)
                continue;
            results[k] = judge (host, plugin, contenders[k], materials, rate);
            if (results[k].ran)
            {
                instances[k] = std::make_unique<HostedPlugin> (host, plugin, rate, blockSize);
                contenders[k].setCeiling (*instances[k]);
            }
        }

        for (int pass = 0; pass <= passes; ++pass)
            for (size_t k = 0; k < contenders.size(); ++k)
                if (instances[k] != nullptr)
                {
                    const double t = timePass (*instances[k], materials);
                    if (pass > 0)
                        seconds[k].push_back (t);
                }

        double tolvo = 0.0, x42 = 0.0;
        for (size_t k = 0; k < contenders.size(); ++k)
        {
            const Contender& c = contenders[k];
            Result& r = results[k];
            if (c.label.rfind (only, 0) != 0)
                continue;
            if (! r.ran)
            {
                std::printf ("| %.1f kHz | %s | not installed or failed to start | | | | |\n", rate / 1000.0, c.label.c_str());
                continue;
            }

            std::sort (seconds[k].begin(), seconds[k].end());
            const double median = seconds[k][seconds[k].size() / 2];
            r.nsPerFrame = median * 1e9 / (double) framesTimed;
            r.realTimeFactor = ((double) framesTimed / rate) / median;
            std::printf ("| %.1f kHz | %s | %.1f | %.0f | %d | %.2f / %.2f | %+.2f |\n", rate / 1000.0, c.label.c_str(),
                         r.nsPerFrame, r.realTimeFactor, r.latency, r.worstOverDb, r.meanOverDb, r.meanLoudnessChangeDb);

            if (c.label == "Tolvo")
                tolvo = r.nsPerFrame;
            if (c.label == "x42 dpl, sample peak")
                x42 = r.nsPerFrame;
        }

        if (tolvo > 0.0 && x42 > 0.0)
            std::printf ("| %.1f kHz | Tolvo / x42 sample peak | %.2f x | | | | |\n", rate / 1000.0, tolvo / x42);
    }
    return 0;
}
