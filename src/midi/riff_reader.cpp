#include "midi/riff_reader.h"

#include <algorithm>
#include <cstring>

namespace vl {

namespace {

constexpr uint64_t kChunkHeaderSize = 8;

struct ChunkHeader {
    char id[4];
    uint32_t size;  // RIFF sizes are little-endian

    bool is(const char* name) const { return std::memcmp(id, name, 4) == 0; }
};

uint32_t littleEndian32(const uint8_t* b) {
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

// Reads the chunk header at position when it lies wholly before limit.
std::optional<ChunkHeader> readChunkHeader(ReadOnlyFile& file, uint64_t position,
                                           uint64_t limit) {
    if (position + kChunkHeaderSize > limit || !file.seek(position)) return std::nullopt;
    uint8_t raw[kChunkHeaderSize];
    if (file.read(raw, sizeof raw) != sizeof raw) return std::nullopt;
    ChunkHeader header{};
    std::memcpy(header.id, raw, 4);
    header.size = littleEndian32(raw + 4);
    return header;
}

// Position of the chunk after the one at position: chunk data is padded to an
// even length. Always at least 8 bytes further on, so every walk ends.
uint64_t nextChunkPosition(uint64_t position, const ChunkHeader& header) {
    return position + kChunkHeaderSize + header.size + (header.size & 1u);
}

bool formTypeIs(ReadOnlyFile& file, uint64_t position, const char* type) {
    uint8_t raw[4];
    if (position + 4 > file.size() || !file.seek(position)) return false;
    return file.read(raw, 4) == 4 && std::memcmp(raw, type, 4) == 0;
}

// Searches the chunks between begin and end for one called id.
std::optional<uint64_t> findChunkData(ReadOnlyFile& file, uint64_t begin, uint64_t end,
                                      const char* id) {
    for (uint64_t position = begin;;) {
        const auto header = readChunkHeader(file, position, end);
        if (!header) return std::nullopt;
        if (header->is(id)) return position + kChunkHeaderSize;
        position = nextChunkPosition(position, *header);
    }
}

}  // namespace

std::optional<uint64_t> findRmidDataOffset(ReadOnlyFile& file) {
    const uint64_t fileEnd = file.size();
    for (uint64_t position = 0;;) {
        const auto header = readChunkHeader(file, position, fileEnd);
        if (!header) return std::nullopt;
        const uint64_t formType = position + kChunkHeaderSize;
        if (header->is("RIFF") && formTypeIs(file, formType, "RMID")) {
            // The stated size is only believed as far as the file reaches.
            const uint64_t formEnd = std::min(formType + header->size, fileEnd);
            return findChunkData(file, formType + 4, formEnd, "data");
        }
        position = nextChunkPosition(position, *header);
    }
}

}  // namespace vl
