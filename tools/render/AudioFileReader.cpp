#include "tools/render/AudioFileReader.h"

#include "tools/render/RenderError.h"
#include "tools/render/SndfileLock.h"

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
        SNDFILE* f = nullptr;
        if (! in.failedToOpen())
        {
            const std::scoped_lock lock (sndfileOpenLock());
            f = sf_open_virtual (&io, SFM_READ, &info, this);
        }
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

// Where a chunked container (RIFF, RF64, Wave64, AIFF, CAF) is cut: libsndfile
// rounds the count of block-coded data (ADPCM, ALAC) to whole blocks, does not
// read Wave64's count at all, and never looks at chunks after the data. Every
// chunk must end within the file.
struct ChunkCut
{
    juce::int64 missingBytes = 0; // past the end of the file
    juce::int64 presentDataBytes = 0;
    bool inData = false;
};

std::optional<ChunkCut> findChunkCut (const juce::File& file)
{
    static const unsigned char wave64Data[16] = { 'd', 'a', 't', 'a', 0xf3, 0xac, 0xd3, 0x11, 0x8c, 0xd1, 0x00, 0xc0, 0x4f, 0x8e, 0xdb, 0x8a };
    juce::FileInputStream in (file);
    const auto size = file.getSize();
    unsigned char head[40] = {};
    if (in.failedToOpen() || in.read (head, 40) != 40)
        return std::nullopt;

    const auto number = [] (const unsigned char* p, int bytes, bool bigEndian)
    {
        std::uint64_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v = v << 8 | p[bigEndian ? i : bytes - 1 - i];
        return v;
    };
    const bool wave64 = std::memcmp (head, "riff", 4) == 0;
    const bool rf64 = std::memcmp (head, "RF64", 4) == 0 || std::memcmp (head, "BW64", 4) == 0;
    const bool riff = std::memcmp (head, "RIFF", 4) == 0;
    const bool aiff = std::memcmp (head, "FORM", 4) == 0;
    const bool caf = std::memcmp (head, "caff", 4) == 0;
    if (! wave64 && ! rf64 && ! riff && ! aiff && ! caf)
        return std::nullopt;

    // Wave64: 16-byte ids, sizes that count the 24-byte header, 8-byte alignment.
    // CAF: 8-byte big-endian sizes, no alignment. The others: 4-byte sizes, even alignment.
    const int idBytes = wave64 ? 16 : 4, sizeBytes = wave64 || caf ? 8 : 4, headerBytes = idBytes + sizeBytes;
    std::uint64_t ds64Data = 0;
    for (juce::int64 pos = wave64 ? 40 : caf ? 8
                                             : 12;
         pos + headerBytes <= size;)
    {
        if (! in.setPosition (pos) || in.read (head, headerBytes) != headerBytes)
            break;
        const auto length = number (head + idBytes, sizeBytes, aiff || caf);
        if (wave64 && length < 24)
            break;
        const auto body = wave64 ? length - 24 : length;
        if (rf64 && std::memcmp (head, "ds64", 4) == 0 && in.read (head + 8, 24) == 24)
            ds64Data = number (head + 16, 8, false);

        const bool data = wave64 ? std::memcmp (head, wave64Data, 16) == 0
                                 : std::memcmp (head, aiff ? "SSND" : "data", 4) == 0;
        // Lengths that mean "to the end of the file": a stream's data, or RF64's count in ds64.
        const bool open = data && (body == 0 || body == 0xffffffffu || (caf && length == ~(std::uint64_t) 0));
        const auto declared = data && rf64 && length == 0xffffffffu ? ds64Data : open ? 0
                                                                                      : body;
        const auto present = size - pos - headerBytes;
        if (declared > (std::uint64_t) present)
            return ChunkCut { (juce::int64) juce::jmin<std::uint64_t> (declared, (std::uint64_t) 1 << 62) - present, present, data };
        if (open)
            break;
        const auto step = wave64 ? (declared + 7) & ~(std::uint64_t) 7 : caf ? declared
                                                                             : declared + (declared & 1);
        pos += headerBytes + (juce::int64) step;
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
    juce::String openError;
    {
        const std::scoped_lock lock (sndfileOpenLock());
        file.reset (sf_open (source.getFullPathName().toRawUTF8(), SFM_READ, &info));
        if (file == nullptr)
            openError = juce::String (sf_strerror (nullptr)).trimCharactersAtEnd (".");
    }
    // Headerless data is only guessed at from the name: not audio we can trust.
    if (file != nullptr && (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_RAW)
        throw RenderError { name + " is not an audio file that can be read (no header)" };
    if (file == nullptr)
        throw RenderError { name + " is not an audio file that can be read (" + openError + ")" };

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
    if (const auto cut = findChunkCut (source))
    {
        missingBytes = cut->missingBytes;
        // The frames the missing data would hold, when libsndfile did not count them.
        if (cut->inData && cut->presentDataBytes > 0 && declaredFrames == info.frames)
            declaredFrames += juce::jmax<juce::int64> (1, (juce::int64) std::ceil ((double) cut->missingBytes * (double) info.frames / (double) cut->presentDataBytes));
    }

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
