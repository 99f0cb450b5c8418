#include "tools/render/AudioFileReader.h"

#include "tools/render/RenderError.h"

#include <cmath>
#include <cstring>
#include <optional>

namespace
{
// The file as libsndfile would see it if `padding` zero bytes followed it.
// Reading far into the padding means the format scans its data: then the
// answer says nothing about the header.
struct PaddedFile
{
    juce::FileInputStream in;
    juce::int64 size, padding, position = 0, paddingRead = 0;

    PaddedFile (const juce::File& file, juce::int64 extra) :
        in (file), size (file.getSize()), padding (extra) {}

    static sf_count_t length (void* self)
    {
        auto& f = *static_cast<PaddedFile*> (self);
        return f.size + f.padding;
    }
    static sf_count_t seek (sf_count_t offset, int whence, void* self)
    {
        auto& f = *static_cast<PaddedFile*> (self);
        const auto to = whence == SEEK_SET ? offset : whence == SEEK_CUR ? f.position + offset
                                                                         : length (self) + offset;
        if (to < 0)
            return -1;
        f.position = to;
        return to;
    }
    static sf_count_t read (void* data, sf_count_t count, void* self)
    {
        auto& f = *static_cast<PaddedFile*> (self);
        count = juce::jlimit<sf_count_t> (0, juce::jmax<sf_count_t> (0, length (self) - f.position), count);
        sf_count_t real = 0;
        if (f.position < f.size && f.in.setPosition (f.position))
            real = juce::jmax (0, f.in.read (data, (int) juce::jmin<sf_count_t> (count, f.size - f.position, 1 << 30)));
        std::memset (static_cast<char*> (data) + real, 0, (size_t) (count - real));
        f.paddingRead += count - real;
        f.position += count;
        return count;
    }
    static sf_count_t write (const void*, sf_count_t, void*) { return 0; }
    static sf_count_t tell (void* self) { return static_cast<PaddedFile*> (self)->position; }

    std::optional<juce::int64> frames()
    {
        SF_VIRTUAL_IO io { length, seek, read, write, tell };
        SF_INFO info {};
        SNDFILE* f = in.failedToOpen() ? nullptr : sf_open_virtual (&io, SFM_READ, &info, this);
        if (f == nullptr)
            return std::nullopt;
        sf_close (f);
        if (paddingRead > (1 << 20))
            return std::nullopt;
        return (juce::int64) info.frames;
    }
};

// libsndfile shortens a file whose data runs past its end to what is there,
// in every container whose header counts its data. Followed by more bytes,
// such a file grows to its header's count and no further; a file without a
// count grows with every byte. Nothing when the header gives no count.
std::optional<juce::int64> countFromHeader (const juce::File& file)
{
    constexpr juce::int64 far = (juce::int64) 1 << 36;
    const auto once = PaddedFile (file, far).frames(), twice = PaddedFile (file, 2 * far).frames();
    if (! once || ! twice || *once != *twice)
        return std::nullopt;
    return once;
}

// Wave64 counts its data, but libsndfile reads to the end of the file; the
// data chunk's own size tells how many bytes are missing.
std::optional<juce::int64> missingWave64Bytes (const juce::File& file, juce::int64& presentBytes)
{
    static const unsigned char dataGuid[16] = { 'd', 'a', 't', 'a', 0xf3, 0xac, 0xd3, 0x11, 0x8c, 0xd1, 0x00, 0xc0, 0x4f, 0x8e, 0xdb, 0x8a };
    juce::FileInputStream in (file);
    const auto size = file.getSize();
    unsigned char head[24];
    for (juce::int64 pos = 40; ! in.failedToOpen() && pos + 24 <= size;)
    {
        if (! in.setPosition (pos) || in.read (head, 24) != 24)
            break;
        std::uint64_t length = 0;
        for (int i = 7; i >= 0; --i)
            length = length << 8 | head[16 + i];
        if (length < 24)
            break;
        if (std::memcmp (head, dataGuid, 16) == 0)
        {
            presentBytes = size - pos - 24;
            const auto declared = (juce::int64) juce::jmin<std::uint64_t> (length - 24, (std::uint64_t) 1 << 62);
            return declared > presentBytes ? std::optional<juce::int64> (declared - presentBytes) : std::nullopt;
        }
        pos += (juce::int64) ((length + 7) & ~(std::uint64_t) 7);
    }
    return std::nullopt;
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
    // A stream whose end is missing has no length to tell.
    if (info.frames == SF_COUNT_MAX)
        throw RenderError { name + " does not tell its length; it seems cut short" };
    if (info.frames == 0)
        throw RenderError { "cannot read " + name + ": it holds no audio (0 frames)" };

    availableFrames = info.frames;
    declaredFrames = juce::jmax<juce::int64> (info.frames, countFromHeader (source).value_or (0));
    juce::int64 presentBytes = 0;
    if ((format & SF_FORMAT_TYPEMASK) == SF_FORMAT_W64)
        if (const auto missing = missingWave64Bytes (source, presentBytes); missing && presentBytes > 0)
            declaredFrames = info.frames + (juce::int64) std::ceil ((double) *missing * (double) info.frames / (double) presentBytes);

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
    interleaved.resize ((size_t) frames * (size_t) channels);
    const auto got = (int) sf_readf_float (file.get(), interleaved.data(), frames);
    if (got < frames && sf_error (file.get()) != SF_ERR_NO_ERROR)
        readError = sf_strerror (file.get());

    for (int ch = 0; ch < channels; ++ch)
    {
        auto* dest = block.getWritePointer (ch);
        for (int i = 0; i < got; ++i)
        {
            dest[i] = interleaved[(size_t) i * (size_t) channels + (size_t) ch];
            // A float file can hold these; no level can be judged from them.
            if (! std::isfinite (dest[i]))
                throw RenderError { name + " holds a sample that is not a number or infinite, at frame " + juce::String (position + i) };
        }
    }
    position += juce::jmax (0, got);
    return juce::jmax (0, got);
}
