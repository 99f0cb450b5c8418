#include "tools/render/LoudnessMeter.h"

#include "tools/render/RenderError.h"

#include <cmath>

namespace
{
constexpr int meterMode = EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_SAMPLE_PEAK | EBUR128_MODE_TRUE_PEAK;

// The oversampling filter delays what it reports; find by how much from an
// impulse, so that an over is timed where it happens.
int measureTruePeakDelay (double sampleRate)
{
    std::unique_ptr<ebur128_state, void (*) (ebur128_state*)> probe (
        ebur128_init (1, (unsigned long) sampleRate, EBUR128_MODE_TRUE_PEAK), [] (ebur128_state* s)
        { ebur128_destroy (&s); });
    if (probe == nullptr)
        return 0;

    for (int i = 0; i < 256; ++i)
    {
        const float x = i == 0 ? 1.0f : 0.0f;
        ebur128_add_frames_float (probe.get(), &x, 1);
        double peak = 0.0;
        ebur128_prev_true_peak (probe.get(), 0, &peak);
        if (i > 0 && peak > 0.99)
            return i;
    }
    return 0;
}
} // namespace

LoudnessMeter::LoudnessMeter (int numChannels, double sampleRate) :
    state (ebur128_init ((unsigned) numChannels, (unsigned long) sampleRate, meterMode)), channels (numChannels)
{
    if (state == nullptr)
        throw RenderError { "cannot measure loudness at " + juce::String (sampleRate) + " Hz" };
    truePeakDelay = measureTruePeakDelay (sampleRate);
}

LoudnessMeter::~LoudnessMeter() = default;

void LoudnessMeter::add (const juce::AudioBuffer<float>& block, int start, int count)
{
    if (count <= 0)
        return;
    interleaved.resize ((size_t) count * (size_t) channels);
    for (int ch = 0; ch < channels; ++ch)
        for (int i = 0; i < count; ++i)
            interleaved[(size_t) i * (size_t) channels + (size_t) ch] = block.getSample (ch, start + i);
    ebur128_add_frames_float (state.get(), interleaved.data(), (size_t) count);
}

void LoudnessMeter::addFrame (const float* frame, double* truePeakOut)
{
    ebur128_add_frames_float (state.get(), frame, 1);
    for (int ch = 0; ch < channels; ++ch)
        ebur128_prev_true_peak (state.get(), (unsigned) ch, truePeakOut + ch);
}

double LoudnessMeter::largest (int (*peakOf) (ebur128_state*, unsigned int, double*)) const
{
    double peak = 0.0;
    for (int ch = 0; ch < channels; ++ch)
    {
        double p = 0.0;
        peakOf (state.get(), (unsigned) ch, &p);
        peak = std::max (peak, p);
    }
    return peak;
}

double LoudnessMeter::getSamplePeak() const { return largest (ebur128_sample_peak); }

double LoudnessMeter::getTruePeak() const { return largest (ebur128_true_peak); }

std::optional<double> LoudnessMeter::getIntegratedLoudness() const
{
    double lufs = 0.0;
    if (ebur128_loudness_global (state.get(), &lufs) != EBUR128_SUCCESS || ! std::isfinite (lufs))
        return std::nullopt;
    return lufs;
}

double LoudnessMeter::getLoudnessRange() const
{
    double lu = 0.0;
    ebur128_loudness_range (state.get(), &lu);
    return std::isfinite (lu) ? lu : 0.0;
}
