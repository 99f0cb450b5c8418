#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <ebur128.h>

#include <memory>
#include <optional>
#include <vector>

// libebur128 on one signal: sample peak, true peak (ITU-R BS.1770-4: 4x
// oversampling below 96 kHz, 2x below 192 kHz), integrated loudness and
// loudness range (EBU R 128). Channels take libebur128's default weights, so a
// mono file is measured as one channel, not as dual mono.
class LoudnessMeter
{
public:
    /** A meter for `channels` at `sampleRate`; throws RenderError if libebur128 refuses them. */
    LoudnessMeter (int channels, double sampleRate);
    ~LoudnessMeter();

    /** Adds frames [start, start + count) of `block`. */
    void add (const juce::AudioBuffer<float>& block, int start, int count);
    /** Adds one frame and returns, per channel, the true peak of that sample period (at least its sample). */
    void addFrame (const float* frame, double* truePeakOut);

    /** Largest |sample| over all channels. */
    double getSamplePeak() const;
    /** Largest true peak over all channels. */
    double getTruePeak() const;
    /** Integrated loudness in LUFS; nothing for silence or less than 400 ms. */
    std::optional<double> getIntegratedLoudness() const;
    /** Loudness range in LU. */
    double getLoudnessRange() const;

    /** Sample periods by which the true-peak reading trails its sample (0 without oversampling). */
    int getTruePeakDelay() const { return truePeakDelay; }

private:
    // The largest of the channels' peaks as `peakOf` reads them.
    double largest (int (*peakOf) (ebur128_state*, unsigned int, double*)) const;

    struct Destroyer
    {
        void operator() (ebur128_state* s) const { ebur128_destroy (&s); }
    };

    std::unique_ptr<ebur128_state, Destroyer> state;
    int channels;
    int truePeakDelay = 0;
    std::vector<float> interleaved;
};
