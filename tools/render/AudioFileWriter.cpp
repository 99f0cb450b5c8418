#include "tools/render/AudioFileWriter.h"

#include "tools/render/RenderError.h"
#include "tools/render/SndfileLock.h"

namespace
{
int formatFor (const juce::File& target, const juce::String& name, OutputBits bits, int channels, juce::int64 frames)
{
    const int subtype = bits == OutputBits::int16 ? SF_FORMAT_PCM_16 : bits == OutputBits::int24 ? SF_FORMAT_PCM_24
                                                                                                 : SF_FORMAT_FLOAT;
    const auto extension = target.getFileExtension().toLowerCase();

    if (extension == ".aif" || extension == ".aiff" || extension == ".aifc")
        return SF_FORMAT_AIFF | subtype;

    if (extension == ".flac")
    {
        if (bits == OutputBits::float32)
            throw RenderError { "cannot write " + name + ": FLAC holds 16 or 24-bit samples, not float; add --bits 24 or name it .wav" };
        return SF_FORMAT_FLAC | subtype;
    }

    // Past 4 GB a RIFF header cannot count the data.
    const int bytes = bits == OutputBits::int16 ? 2 : bits == OutputBits::int24 ? 3
                                                                                : 4;
    const bool huge = (double) frames * channels * bytes > 4294967295.0 - 65536.0;
    return (huge ? SF_FORMAT_RF64 : SF_FORMAT_WAV) | subtype;
}

double stepsAtFullScale (OutputBits bits)
{
    return bits == OutputBits::int16 ? 32768.0 : 8388608.0;
}
} // namespace

AudioFileWriter::AudioFileWriter (const juce::File& target, const juce::String& targetName, int numChannels,
                                  double sampleRate, OutputBits outputBits, juce::int64 expectedFrames) :
    temp (target.getFullPathName().toStdString(), targetName.toStdString()),
    name (targetName), channels (numChannels), bits (outputBits)
{
    format = formatFor (target, name, bits, channels, expectedFrames);

    SF_INFO info {};
    info.samplerate = (int) sampleRate;
    info.channels = channels;
    info.format = format;
    if (sf_format_check (&info) == SF_FALSE)
        throw RenderError { "cannot write " + name + " at " + juce::String (sampleRate) + " Hz in this format" };

    juce::String openError;
    {
        const std::scoped_lock lock (sndfileOpenLock());
        file.reset (sf_open_fd (temp.takeDescriptor(), SFM_WRITE, &info, SF_TRUE));
        if (file == nullptr)
            openError = sf_strerror (nullptr);
    }
    if (file == nullptr)
        throw RenderError { "cannot write " + name + ": " + openError };

    // No PEAK chunk: it carries the time of writing, and the same input
    // should give the same file.
    sf_command (file.get(), SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
}

AudioFileWriter::~AudioFileWriter() = default;

juce::String AudioFileWriter::describeFormat() const
{
    const auto major = (format & SF_FORMAT_TYPEMASK) == SF_FORMAT_AIFF   ? "AIFF"
                       : (format & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC ? "FLAC"
                       : (format & SF_FORMAT_TYPEMASK) == SF_FORMAT_RF64 ? "RF64"
                                                                         : "WAV";
    const auto sample = bits == OutputBits::int16 ? "16-bit PCM, TPDF dither" : bits == OutputBits::int24 ? "24-bit PCM, TPDF dither"
                                                                                                          : "32-bit float";
    return juce::String (major) + ", " + sample;
}

void AudioFileWriter::write (juce::AudioBuffer<float>& block, int start, int count)
{
    if (count <= 0)
        return;

    const auto samples = (size_t) count * (size_t) channels;
    sf_count_t done = 0;

    if (bits == OutputBits::float32)
    {
        floats.resize (samples);
        for (int ch = 0; ch < channels; ++ch)
            for (int i = 0; i < count; ++i)
                floats[(size_t) i * (size_t) channels + (size_t) ch] = block.getSample (ch, start + i);
        done = sf_writef_float (file.get(), floats.data(), count);
    }
    else
    {
        // libsndfile takes ints as 32-bit full scale and keeps their top bits.
        const double scale = stepsAtFullScale (bits);
        const int shift = bits == OutputBits::int16 ? 16 : 8;
        ints.resize (samples);
        for (int i = 0; i < count; ++i)
            for (int ch = 0; ch < channels; ++ch)
            {
                bool limited = false;
                const auto q = dither.quantise (block.getSample (ch, start + i), scale, limited);
                clipped += limited ? 1 : 0;
                block.setSample (ch, start + i, (float) (q / scale));
                ints[(size_t) i * (size_t) channels + (size_t) ch] = (int) ((std::uint32_t) q << shift);
            }
        done = sf_writef_int (file.get(), ints.data(), count);
    }

    if (done != count)
        throw RenderError { "cannot write " + name + ": " + juce::String (sf_strerror (file.get())) };
}

void AudioFileWriter::commit (bool replace)
{
    const auto error = sf_error (file.get());
    const auto closed = sf_close (file.release());
    if (error != SF_ERR_NO_ERROR || closed != 0)
        throw RenderError { "cannot write " + name + ": " + juce::String (sf_error_number (closed != 0 ? closed : error)) };
    temp.commit (replace);
}
