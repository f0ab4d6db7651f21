// Two ways to the header facts: the listing's file-header line, or the raw header chunk.

#include "midi_header_probe.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "vlmidiin.h"

namespace vl::cli {

namespace {

constexpr std::size_t kHeaderChunkSize = 14;
constexpr std::size_t kChunkHeaderSize = 8;

// Reads exactly `size` bytes at `offset`; false on a short read.
bool readAt(std::ifstream& file, std::uint64_t offset, char* buffer, std::size_t size) {
    file.clear();
    file.seekg(static_cast<std::streamoff>(offset));
    if (!file) return false;
    file.read(buffer, static_cast<std::streamsize>(size));
    return static_cast<std::size_t>(file.gcount()) == size;
}

std::uint32_t bigEndian16(const char* bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return static_cast<std::uint32_t>(b[0] << 8 | b[1]);
}

std::uint32_t littleEndian32(const char* bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

std::optional<MidiHeaderFacts> readHeaderChunkAt(std::ifstream& file, std::uint64_t offset) {
    std::array<char, kHeaderChunkSize> chunk{};
    if (!readAt(file, offset, chunk.data(), chunk.size())) return std::nullopt;
    if (std::memcmp(chunk.data(), "MThd", 4) != 0) return std::nullopt;
    return MidiHeaderFacts{bigEndian16(&chunk[8]), bigEndian16(&chunk[10]),
                           bigEndian16(&chunk[12])};
}

// Walks the chunks of a RIFF "RMID" form (each padded to an even length) up to the form's end
// or the file's end, whichever comes first, and returns the data offset of its "data" chunk.
std::optional<std::uint64_t> findRiffDataOffset(std::ifstream& file, std::uint64_t fileSize) {
    std::array<char, 12> form{};
    if (!readAt(file, 0, form.data(), form.size())) return std::nullopt;
    if (std::memcmp(form.data(), "RIFF", 4) != 0 || std::memcmp(&form[8], "RMID", 4) != 0) {
        return std::nullopt;
    }
    const std::uint64_t formLength = littleEndian32(&form[4]);
    const std::uint64_t formEnd = std::min(8 + formLength, fileSize);
    std::uint64_t position = form.size();
    while (position + kChunkHeaderSize <= formEnd) {
        std::array<char, kChunkHeaderSize> header{};
        if (!readAt(file, position, header.data(), header.size())) return std::nullopt;
        const std::uint64_t dataOffset = position + kChunkHeaderSize;
        if (std::memcmp(header.data(), "data", 4) == 0) return dataOffset;
        const std::uint64_t length = littleEndian32(&header[4]);
        position = dataOffset + length + (length & 1);
    }
    return std::nullopt;
}

// The number after `key` in `line`, if it is there and is a whole number.
std::optional<long> numberAfter(const std::string& line, const char* key) {
    const std::size_t at = line.find(key);
    if (at == std::string::npos) return std::nullopt;
    const char* start = line.c_str() + at + std::strlen(key);
    char* end = nullptr;
    const long value = std::strtol(start, &end, 10);
    if (end == start) return std::nullopt;
    return value;
}

}  // namespace

std::string describeHeader(const MidiHeaderFacts& facts) {
    char text[96];
    std::snprintf(text, sizeof text, "format %ld, %ld track%s, division %ld", facts.format,
                  facts.trackCount, facts.trackCount == 1 ? "" : "s", facts.division);
    return text;
}

std::optional<MidiHeaderFacts> parseListingHeaderLine(const std::string& line) {
    const auto format = numberAfter(line, "Format=");
    const auto tracks = numberAfter(line, "Tracks=");
    const auto division = numberAfter(line, "Division=");
    if (!format || !tracks || !division) return std::nullopt;
    return MidiHeaderFacts{*format, *tracks, *division};
}

std::optional<MidiHeaderFacts> readHeaderFromFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return std::nullopt;
    const std::streamoff end = file.tellg();
    if (end < 0) return std::nullopt;
    const auto fileSize = static_cast<std::uint64_t>(end);

    if (auto facts = readHeaderChunkAt(file, 0)) return facts;
    const auto dataOffset = findRiffDataOffset(file, fileSize);
    if (!dataOffset) return std::nullopt;
    return readHeaderChunkAt(file, *dataOffset);
}

std::optional<MidiHeaderFacts> findHeaderFacts(ImportSession* session, const std::string& path) {
    if (VlMidiTextLineSetFirst(session) != 0 && VlMidiTextLineType(session) == 1) {
        if (const char* line = VlMidiTextLineTextChunk(session, 2)) {
            if (auto facts = parseListingHeaderLine(line)) return facts;
        }
    }
    return readHeaderFromFile(path);
}

}  // namespace vl::cli
