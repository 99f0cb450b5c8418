#include "WavFile.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace
{
uint32_t le32 (const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t> (p[3]) << 24); }
uint16_t le16 (const unsigned char* p) { return static_cast<uint16_t> (p[0] | (p[1] << 8)); }

void put32 (std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s.push_back (static_cast<char> ((v >> (8 * i)) & 0xFF));
}
void put16 (std::string& s, uint16_t v)
{
    s.push_back (static_cast<char> (v & 0xFF));
    s.push_back (static_cast<char> (v >> 8));
}

float sampleAt (const unsigned char* p, int format, int bits)
{
    if (format == 3 && bits == 32)
    {
        float f;
        uint32_t u = le32 (p);
        std::memcpy (&f, &u, 4);
        return f;
    }

    if (format == 3 && bits == 64)
    {
        uint64_t u = 0;
        for (int i = 7; i >= 0; --i)
            u = (u << 8) | p[i];
        double d;
        std::memcpy (&d, &u, 8);
        return static_cast<float> (d);
    }

    if (bits == 16)
        return static_cast<float> (static_cast<int16_t> (le16 (p))) / 32768.0f;

    if (bits == 24)
    {
        auto v = static_cast<int32_t> (static_cast<uint32_t> (p[0] << 8) | static_cast<uint32_t> (p[1] << 16) | (static_cast<uint32_t> (p[2]) << 24));
        return static_cast<float> (static_cast<double> (v) / 2147483648.0);
    }

    return static_cast<float> (static_cast<double> (static_cast<int32_t> (le32 (p))) / 2147483648.0);
}
} // namespace

std::string WavFile::read (const std::string& path, WavFile& out)
{
    std::ifstream in (path, std::ios::binary);

    if (! in)
        return "cannot read " + path;

    const std::string bytes ((std::istreambuf_iterator<char> (in)), std::istreambuf_iterator<char>());
    const auto* data = reinterpret_cast<const unsigned char*> (bytes.data());
    const size_t size = bytes.size();

    if (size < 12 || std::memcmp (data, "RIFF", 4) != 0 || std::memcmp (data + 8, "WAVE", 4) != 0)
        return path + " is not a WAV file";

    int format = 0, bits = 0, numChannels = 0;
    uint32_t rate = 0;
    const unsigned char* samples = nullptr;
    size_t sampleBytes = 0, declaredBytes = 0;

    for (size_t pos = 12; pos + 8 <= size;)
    {
        const uint32_t chunkSize = le32 (data + pos + 4);
        const size_t body = pos + 8;
        const size_t available = size - body;
        const size_t length = chunkSize < available ? chunkSize : available;

        if (std::memcmp (data + pos, "fmt ", 4) == 0 && length >= 16)
        {
            format = le16 (data + body);
            numChannels = le16 (data + body + 2);
            rate = le32 (data + body + 4);
            bits = le16 (data + body + 14);

            if (format == 0xFFFE && length >= 26)
                format = le16 (data + body + 24);
        }
        else if (std::memcmp (data + pos, "data", 4) == 0)
        {
            samples = data + body;
            sampleBytes = length;
            // 0xFFFFFFFF: written as a stream, its length unknown.
            declaredBytes = chunkSize == 0xFFFFFFFFu ? length : chunkSize;
        }

        pos = body + length + (length & 1);
    }

    const bool pcm = format == 1 && (bits == 16 || bits == 24 || bits == 32);
    const bool ieee = format == 3 && (bits == 32 || bits == 64);

    if (! (pcm || ieee) || numChannels < 1 || numChannels > 64 || rate == 0)
        return path + " has an unsupported WAV format";
    if (samples == nullptr)
        return path + " holds no audio (no data chunk)";

    const size_t frameBytes = static_cast<size_t> (numChannels) * static_cast<size_t> (bits / 8);
    const size_t frames = sampleBytes / frameBytes;

    if (declaredBytes > sampleBytes)
        return path + " is cut short: its header says " + std::to_string (declaredBytes / frameBytes) + " frames, but only "
               + std::to_string (frames) + " are there";
    if (frames == 0)
        return path + " holds no audio (0 frames)";

    out.sampleRate = rate;
    out.channels.assign (static_cast<size_t> (numChannels), std::vector<float> (frames));

    for (size_t f = 0; f < frames; ++f)
        for (size_t c = 0; c < static_cast<size_t> (numChannels); ++c)
            out.channels[c][f] = sampleAt (samples + f * frameBytes + c * static_cast<size_t> (bits / 8), format, bits);

    return {};
}

std::string WavFile::write (const std::string& path, const WavFile& wav)
{
    const auto numCh = static_cast<uint16_t> (wav.numChannels());
    const auto frames = wav.numFrames();
    const auto dataBytes = static_cast<uint32_t> (frames * numCh * 4);
    const auto rate = static_cast<uint32_t> (wav.sampleRate);

    std::string s;
    s += "RIFF";
    put32 (s, 36 + dataBytes);
    s += "WAVEfmt ";
    put32 (s, 16);
    put16 (s, 3);
    put16 (s, numCh);
    put32 (s, rate);
    put32 (s, rate * numCh * 4u);
    put16 (s, static_cast<uint16_t> (numCh * 4));
    put16 (s, 32);
    s += "data";
    put32 (s, dataBytes);

    for (size_t f = 0; f < frames; ++f)
    {
        for (const auto& channel : wav.channels)
        {
            uint32_t u;
            std::memcpy (&u, &channel[f], 4);
            put32 (s, u);
        }
    }

    std::ofstream out (path, std::ios::binary | std::ios::trunc);
    out.write (s.data(), static_cast<std::streamsize> (s.size()));
    out.close(); // a full disk may show only now

    return out ? std::string() : "cannot write " + path;
}
