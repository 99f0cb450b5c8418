#include "tools/render/AudioFileReader.h"

#include "tools/render/RenderError.h"

#include <cmath>
#include <cstring>
#include <optional>

namespace
{
std::uint32_t le32 (const unsigned char* p) { return (std::uint32_t) p[0] | (std::uint32_t) p[1] << 8 | (std::uint32_t) p[2] << 16 | (std::uint32_t) p[3] << 24; }
std::uint32_t be32 (const unsigned char* p) { return (std::uint32_t) p[3] | (std::uint32_t) p[2] << 8 | (std::uint32_t) p[1] << 16 | (std::uint32_t) p[0] << 24; }
std::uint64_t le64 (const unsigned char* p) { return (std::uint64_t) le32 (p) | (std::uint64_t) le32 (p + 4) << 32; }

// libsndfile shortens the length of a WAV or AIFF file whose data chunk runs
// past the end of the file to what is there; the header's own count tells a
// file cut short from a short file. Nothing when the header gives no count.
std::optional<juce::int64> headerFrames (const juce::File& file)
{
    juce::FileInputStream in (file);
    if (in.failedToOpen())
        return std::nullopt;

    juce::MemoryBlock head;
    in.readIntoMemoryBlock (head, 1 << 16);
    const auto* d = static_cast<const unsigned char*> (head.getData());
    const size_t size = head.getSize();
    if (size < 12)
        return std::nullopt;

    const bool riff = std::memcmp (d, "RIFF", 4) == 0 && std::memcmp (d + 8, "WAVE", 4) == 0;
    const bool rf64 = (std::memcmp (d, "RF64", 4) == 0 || std::memcmp (d, "BW64", 4) == 0) && std::memcmp (d + 8, "WAVE", 4) == 0;
    const bool aiff = std::memcmp (d, "FORM", 4) == 0 && (std::memcmp (d + 8, "AIFF", 4) == 0 || std::memcmp (d + 8, "AIFC", 4) == 0);
    if (! riff && ! rf64 && ! aiff)
        return std::nullopt;

    std::uint64_t dataBytes = 0, ds64Bytes = 0;
    unsigned blockAlign = 0;
    bool haveData = false;

    for (size_t pos = 12; pos + 8 <= size;)
    {
        const auto* id = d + pos;
        const std::uint64_t length = aiff ? be32 (id + 4) : le32 (id + 4);
        const auto* body = id + 8;
        const size_t inHead = size - (pos + 8);

        if (aiff && std::memcmp (id, "COMM", 4) == 0 && inHead >= 6)
            return (juce::int64) be32 (body + 2); // numSampleFrames
        if (! aiff && std::memcmp (id, "fmt ", 4) == 0 && inHead >= 14)
            blockAlign = (unsigned) body[12] | (unsigned) body[13] << 8;
        if (! aiff && std::memcmp (id, "ds64", 4) == 0 && inHead >= 16)
            ds64Bytes = le64 (body + 8);
        if (! aiff && std::memcmp (id, "data", 4) == 0)
        {
            dataBytes = rf64 && length == 0xffffffffu ? ds64Bytes : length;
            haveData = true;
            break;
        }
        pos += 8 + (size_t) length + (length & 1);
    }

    // 0 and 0xffffffff mark a file written as a stream, length unknown.
    if (! haveData || blockAlign == 0 || dataBytes == 0 || (! rf64 && dataBytes == 0xffffffffu))
        return std::nullopt;
    return (juce::int64) (dataBytes / blockAlign);
}

juce::String subtypeName (int format)
{
    switch (format & SF_FORMAT_SUBMASK)
    {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8:
            return "8-bit PCM";
        case SF_FORMAT_PCM_16:
            return "16-bit PCM";
        case SF_FORMAT_PCM_24:
            return "24-bit PCM";
        case SF_FORMAT_PCM_32:
            return "32-bit PCM";
        case SF_FORMAT_FLOAT:
            return "32-bit float";
        case SF_FORMAT_DOUBLE:
            return "64-bit float";
        default:
            break;
    }
    SF_FORMAT_INFO info {};
    info.format = format & SF_FORMAT_SUBMASK;
    return sf_command (nullptr, SFC_GET_FORMAT_INFO, &info, sizeof (info)) == 0 ? juce::String (info.name) : "audio";
}
} // namespace

AudioFileReader::AudioFileReader (const juce::File& source, const juce::String& fileName) :
    name (fileName)
{
    if (source.isDirectory())
        throw RenderError { "cannot read " + name + ": it is a folder" };
    if (! source.existsAsFile())
        throw RenderError { "cannot read " + name + ": no such file" };

    // libsndfile says little about why it cannot open a file; ask the system first.
    {
        juce::FileInputStream probe (source);
        if (probe.failedToOpen())
            throw RenderError { "cannot read " + name + ": " + probe.getStatus().getErrorMessage() };
    }

    if (source.getSize() == 0)
        throw RenderError { "cannot read " + name + ": the file is empty" };

    SF_INFO info {};
    file.reset (sf_open (source.getFullPathName().toRawUTF8(), SFM_READ, &info));
    // Headerless data is only guessed at from the name: not audio we can trust.
    if (file != nullptr && (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_RAW)
        throw RenderError { name + " is not an audio file that can be read (no header)" };
    if (file == nullptr)
        throw RenderError { name + " is not an audio file that can be read (" + juce::String (sf_strerror (nullptr)).trimCharactersAtEnd (".") + ")" };

    channels = info.channels;
    sampleRate = (double) info.samplerate;
    format = info.format;
    availableFrames = info.frames;
    declaredFrames = juce::jmax<juce::int64> (info.frames, headerFrames (source).value_or (0));

    if (channels < 1 || channels > 2)
        throw RenderError { name + " has " + juce::String (channels) + " channels; Tolvo takes mono or stereo" };
    if (! (sampleRate > 0.0) || info.frames < 0)
        throw RenderError { name + " has no usable sample rate or length" };
}

AudioFileReader::~AudioFileReader() = default;

juce::String AudioFileReader::describeFormat() const
{
    SF_FORMAT_INFO info {};
    info.format = format & SF_FORMAT_TYPEMASK;
    const juce::String major = sf_command (nullptr, SFC_GET_FORMAT_INFO, &info, sizeof (info)) == 0 ? juce::String (info.name) : "audio file";
    return major.upToFirstOccurrenceOf (" (", false, false) + ", " + subtypeName (format);
}

int AudioFileReader::read (juce::AudioBuffer<float>& block, int frames)
{
    interleaved.resize ((size_t) (frames * channels));
    const auto got = (int) sf_readf_float (file.get(), interleaved.data(), frames);
    if (got < frames && sf_error (file.get()) != SF_ERR_NO_ERROR)
        readError = sf_strerror (file.get());

    for (int ch = 0; ch < channels; ++ch)
    {
        auto* dest = block.getWritePointer (ch);
        for (int i = 0; i < got; ++i)
        {
            dest[i] = interleaved[(size_t) (i * channels + ch)];
            // A float file can hold these; no level can be judged from them.
            if (! std::isfinite (dest[i]))
                throw RenderError { name + " holds a sample that is not a number or infinite, at frame " + juce::String (position + i) };
        }
    }
    position += juce::jmax (0, got);
    return juce::jmax (0, got);
}
