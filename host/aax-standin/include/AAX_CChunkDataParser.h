// Stand-in AAX layer: builds and reads the controls chunk.
// Data layout, repeated per value, big-endian: the identifier (UTF-8, NUL-terminated,
// padded with NULs to a multiple of 4 bytes), then the 8-byte IEEE double value.
// An empty list is an empty chunk.
#pragma once

#include <string>
#include <vector>

#include "AAX.h"

class AAX_CChunkDataParser
{
public:
    void Clear();
    void AddDouble (const char* identifier, double value);
    bool FindDouble (const char* identifier, double* value) const;
    int32_t NumValues() const;

    uint32_t GetChunkDataSize() const;
    // Writes the data into chunk->fData and sets fSize, fVersion and fChunkID;
    // the chunk must have room for GetChunkDataSize() bytes.
    void GetChunkData (AAX_SPlugInChunk* chunk, AAX_CTypeID chunkID) const;
    // Replaces the values by those in the chunk; false (and no values) when it is damaged.
    bool LoadChunk (const AAX_SPlugInChunk* chunk);

    static constexpr int32_t kVersion = 1;

private:
    struct Entry
    {
        std::string identifier;
        double value;
    };

    std::vector<Entry> entries;
};
