#include "AAX_CChunkDataParser.h"

#include <cmath>
#include <cstring>

namespace
{
constexpr uint32_t paddedLength (size_t textLength)
{
    return static_cast<uint32_t> ((textLength + 1 + 3) & ~static_cast<size_t> (3));
}

void writeDouble (unsigned char* out, double value)
{
    uint64_t bits = 0;
    std::memcpy (&bits, &value, sizeof (bits));

    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<unsigned char> (bits >> (8 * (7 - i)));
}

double readDouble (const unsigned char* in)
{
    uint64_t bits = 0;

    for (int i = 0; i < 8; ++i)
        bits = (bits << 8) | in[i];

    double value = 0;
    std::memcpy (&value, &bits, sizeof (value));
    return value;
}
} // namespace

void AAX_CChunkDataParser::Clear()
{
    entries.clear();
}

void AAX_CChunkDataParser::AddDouble (const char* identifier, double value)
{
    if (identifier != nullptr)
        entries.push_back ({ identifier, value });
}

bool AAX_CChunkDataParser::FindDouble (const char* identifier, double* value) const
{
    if (identifier == nullptr)
        return false;

    for (const auto& entry : entries)
    {
        if (entry.identifier == identifier)
        {
            if (value != nullptr)
                *value = entry.value;

            return true;
        }
    }

    return false;
}

int32_t AAX_CChunkDataParser::NumValues() const
{
    return static_cast<int32_t> (entries.size());
}

uint32_t AAX_CChunkDataParser::GetChunkDataSize() const
{
    uint32_t size = 0;

    for (const auto& entry : entries)
        size += paddedLength (entry.identifier.size()) + 8;

    return size;
}

void AAX_CChunkDataParser::GetChunkData (AAX_SPlugInChunk* chunk, AAX_CTypeID chunkID) const
{
    if (chunk == nullptr)
        return;

    auto* out = reinterpret_cast<unsigned char*> (chunk->fData);

    for (const auto& entry : entries)
    {
        const auto length = paddedLength (entry.identifier.size());
        std::memset (out, 0, length);
        std::memcpy (out, entry.identifier.data(), entry.identifier.size());
        out += length;
        writeDouble (out, entry.value);
        out += 8;
    }

    chunk->fSize = static_cast<int32_t> (GetChunkDataSize());
    chunk->fVersion = kVersion;
    chunk->fChunkID = chunkID;
}

bool AAX_CChunkDataParser::LoadChunk (const AAX_SPlugInChunk* chunk)
{
    entries.clear();

    if (chunk == nullptr || chunk->fSize < 0)
        return false;

    const auto* data = reinterpret_cast<const unsigned char*> (chunk->fData);
    const auto size = static_cast<size_t> (chunk->fSize);
    std::vector<Entry> loaded;
    size_t pos = 0;

    while (pos < size)
    {
        const auto* nameStart = data + pos;
        const auto* nameEnd = static_cast<const unsigned char*> (std::memchr (nameStart, 0, size - pos));

        if (nameEnd == nullptr)
            return false;

        const auto nameLength = static_cast<size_t> (nameEnd - nameStart);
        const auto length = paddedLength (nameLength);

        if (nameLength == 0 || size - pos < static_cast<size_t> (length) + 8)
            return false;

        const auto value = readDouble (nameStart + length);

        if (! std::isfinite (value))
            return false;

        loaded.push_back ({ std::string (reinterpret_cast<const char*> (nameStart), nameLength), value });
        pos += length + 8;
    }

    entries = std::move (loaded);
    return true;
}
