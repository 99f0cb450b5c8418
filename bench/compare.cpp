// Side-by-side cost and quality of Tolvo and Debian's LV2 peak limiters, all
// hosted through lilv on the same generated material, block size and ceiling.
//
//   compare [--passes N] [--seconds S] [--only LABEL-PREFIX] [--material NAME]
//   compare --per-material [--passes N] [--seconds S]
//
// By default the material is a mix of four kinds (program, sweep, pink
// bursts, drums); --material takes any one of bench/Material's kinds, and
// --per-material times each kind alone at 48 kHz, one row each.
//
// Per plug-in and rate: CPU time per stereo frame (median of the timed passes
// after one warm-up pass, thread CPU time; the plug-ins take their passes in
// turns), the real-time factor, the latency it reports, the output's true
// peak above the ceiling (ITU-R BS.1770-4, libebur128) worst and mean over the
// materials, and the mean change of integrated loudness.

#include "HostedPlugin.h"
#include "LilvHost.h"
#include "Material.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr int blockSize = 512;
constexpr double ceilingDb = -0.1;

struct Contender
{
    std::string label;
    std::string uri;
    std::function<void (HostedPlugin&)> setCeiling;
};

// ---------------------------------------------------------------------------
// Measurement.

double threadSeconds()
{
    timespec ts {};
    clock_gettime (CLOCK_THREAD_CPUTIME_ID, &ts);
    return (double) ts.tv_sec + 1e-9 * (double) ts.tv_nsec;
}

void runThrough (HostedPlugin& plugin, const Material& in, std::vector<float>& outLeft, std::vector<float>& outRight)
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
Result judge (LilvHost& host, const LilvPlugin* plugin, const Contender& c, const std::vector<Material>& materials, double rate)
{
    Result result;
    for (const auto& m : materials)
    {
        HostedPlugin instance (host, plugin, rate, blockSize);
        if (! instance.isValid())
            return result;
        c.setCeiling (instance);

        Material padded = m;
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
double timePass (HostedPlugin& instance, const std::vector<Material>& materials)
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
// Every chosen plug-in's quality (unless `quality` is off), then its cost:
// one instance each, a warm-up pass, then the timed passes taken in turns, so
// that a busy moment of the machine falls on all of them alike.
std::vector<Result> run (LilvHost& host, const std::vector<Contender>& contenders, const std::vector<Material>& materials,
                         double rate, int passes, bool quality)
{
    size_t framesTimed = 0;
    for (const auto& m : materials)
        framesTimed += m.left.size();

    std::vector<Result> results (contenders.size());
    std::vector<std::unique_ptr<HostedPlugin>> instances (contenders.size());
    std::vector<std::vector<double>> seconds (contenders.size());
    for (size_t k = 0; k < contenders.size(); ++k)
    {
        const LilvPlugin* plugin = host.findPlugin (contenders[k].uri);
        if (plugin == nullptr)
            continue;
        if (quality)
            results[k] = judge (host, plugin, contenders[k], materials, rate);
        if (results[k].ran || ! quality)
        {
            instances[k] = std::make_unique<HostedPlugin> (host, plugin, rate, blockSize);
            contenders[k].setCeiling (*instances[k]);
            results[k].ran = instances[k]->isValid();
            if (! results[k].ran)
                instances[k].reset();
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

    for (size_t k = 0; k < contenders.size(); ++k)
        if (results[k].ran)
        {
            std::sort (seconds[k].begin(), seconds[k].end());
            const double median = seconds[k][seconds[k].size() / 2];
            results[k].nsPerFrame = median * 1e9 / (double) framesTimed;
            results[k].realTimeFactor = ((double) framesTimed / rate) / median;
        }
    return results;
}

std::vector<Contender> allContenders()
{
    const float ceilingGain = (float) std::pow (10.0, ceilingDb / 20.0);
    return {
        { "Tolvo", TOLVO_LV2_URI, [] (HostedPlugin& p)
          { p.setControl ("dbMain", (float) ceilingDb); } },
        { "x42 dpl, sample peak", "http://gareus.org/oss/lv2/dpl#stereo", [] (HostedPlugin& p)
          { p.setControl ("threshold", (float) ceilingDb); p.setControl ("truepeak", 0.0f); } },
        { "x42 dpl, true peak", "http://gareus.org/oss/lv2/dpl#stereo", [] (HostedPlugin& p)
          { p.setControl ("threshold", (float) ceilingDb); p.setControl ("truepeak", 1.0f); } },
        { "LSP Limiter stereo", "http://lsp-plug.in/plugins/lv2/limiter_stereo", [ceilingGain] (HostedPlugin& p)
          { p.setControl ("th", ceilingGain); p.setControl ("boost", 0.0f); } },
        { "LSP Limiter stereo, x8 true peak", "http://lsp-plug.in/plugins/lv2/limiter_stereo", [ceilingGain] (HostedPlugin& p)
          { p.setControl ("th", ceilingGain); p.setControl ("boost", 0.0f); p.setControl ("ovs", 19.0f); } }, // Full x8(2L)
        { "ZaMaximX2", "urn:zamaudio:ZaMaximX2", [] (HostedPlugin& p)
          { p.setControl ("ceil", (float) ceilingDb); } },
    };
}

// One row per material at 48 kHz: Tolvo, x42 in both modes and LSP without
// and with 8 times oversampling for true peaks, each
// material timed alone; then the median and worst ratio to x42's sample-peak mode.
void perMaterial (LilvHost& host, int passes, double secondsPerMaterial)
{
    constexpr double rate = 48000.0;
    std::vector<Contender> contenders = allContenders();
    contenders.pop_back(); // ZaMaximX2: a hundred times the others' cost, and no peer for speed

    std::printf ("48 kHz, block %d frames, ceiling %.1f dB, %d timed passes after a warm-up, %.0f s per material;\n"
                 "ns per stereo frame is thread CPU time.\n\n",
                 blockSize, ceilingDb, passes, secondsPerMaterial);
    std::printf ("| Material | Tolvo | x42 sample peak | x42 true peak | LSP | LSP x8 true peak | Tolvo / x42 SP | Tolvo / LSP x8 |\n");
    std::printf ("|---|---|---|---|---|---|---|---|\n");

    std::vector<double> ratios;
    const auto materials = makeMaterials ((int) (secondsPerMaterial * rate), rate);
    for (const auto& m : materials)
    {
        const auto r = run (host, contenders, { m }, rate, passes, false);
        const double ratio = r[0].nsPerFrame / r[1].nsPerFrame;
        ratios.push_back (ratio);
        std::printf ("| %s | %.1f | %.1f | %.1f | %.1f | %.1f | %.2f | %.2f |\n", m.name.c_str(), r[0].nsPerFrame, r[1].nsPerFrame,
                     r[2].nsPerFrame, r[3].nsPerFrame, r[4].nsPerFrame, ratio, r[0].nsPerFrame / r[4].nsPerFrame);
    }

    std::sort (ratios.begin(), ratios.end());
    const size_t n = ratios.size();
    std::printf ("\nTolvo / x42 sample peak: median %.2f, worst %.2f\n", 0.5 * (ratios[(n - 1) / 2] + ratios[n / 2]), ratios.back());
}
// The mix (or the one material `chosen`, if not -1) at both rates, one row per plug-in.
void mixTable (LilvHost& host, const std::vector<Contender>& contenders, int chosen, int passes, double secondsPerMaterial)
{
    for (double rate : { 44100.0, 48000.0 })
    {
        // The mix is the first four kinds; --material picks any one.
        auto materials = makeMaterials ((int) (secondsPerMaterial * rate), rate);
        if (chosen >= 0)
            materials = { materials[(size_t) chosen] };
        else
            materials.resize (4);

        const auto results = run (host, contenders, materials, rate, passes, true);
        double tolvo = 0.0, x42 = 0.0;
        for (size_t k = 0; k < contenders.size(); ++k)
        {
            const Contender& c = contenders[k];
            const Result& r = results[k];
            if (! r.ran)
            {
                std::printf ("| %.1f kHz | %s | not installed or failed to start | | | | |\n", rate / 1000.0, c.label.c_str());
                continue;
            }
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
}
} // namespace

int main (int argc, char** argv)
{
    int passes = 5;
    double secondsPerMaterial = 10.0;
    std::string only;
    std::string material;
    bool eachMaterial = false;
    for (int i = 1; i < argc; ++i)
    {
        const std::string option = argv[i];
        if (option == "--per-material")
            eachMaterial = true;
        else if (i + 1 >= argc)
            break;
        else if (option == "--passes")
            passes = std::max (1, std::atoi (argv[++i]));
        else if (option == "--seconds")
            secondsPerMaterial = std::max (1.0, std::atof (argv[++i]));
        else if (option == "--only")
            only = argv[++i];
        else if (option == "--material")
            material = argv[++i];
    }

    const std::vector<std::string> names = materialNames();
    const auto chosen = std::find (names.begin(), names.end(), material);
    if (! material.empty() && chosen == names.end())
    {
        std::fprintf (stderr, "compare: --material takes one of:");
        for (const auto& name : names)
            std::fprintf (stderr, " \"%s\"", name.c_str());
        std::fprintf (stderr, "\n");
        return 2;
    }

    LilvHost host ({ TOLVO_LV2_BUNDLE "/" }, blockSize);
    if (eachMaterial)
    {
        perMaterial (host, passes, secondsPerMaterial);
        return 0;
    }

    std::vector<Contender> contenders;
    for (const auto& c : allContenders())
        if (c.label.rfind (only, 0) == 0)
            contenders.push_back (c);

    std::printf ("Block %d frames, ceiling %.1f dB, %d timed passes after a warm-up, %.0f s per material\n"
                 "(%s); ns per stereo frame is thread CPU time.\n\n",
                 blockSize, ceilingDb, passes, secondsPerMaterial,
                 material.empty() ? "program, sweep, pink bursts, drums" : material.c_str());
    std::printf ("| Rate | Plug-in | ns/frame | real-time factor | latency (frames) | true peak over ceiling, worst / mean (dB) | loudness change (LU) |\n");
    std::printf ("|---|---|---|---|---|---|---|\n");

    mixTable (host, contenders, chosen == names.end() ? -1 : (int) (chosen - names.begin()), passes, secondsPerMaterial);
    return 0;
}
