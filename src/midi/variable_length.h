#pragma once
// Variable-length quantities and big-endian words of Standard MIDI Files.

#include <cstdint>
#include <vector>

namespace vl {

// Reads a variable-length quantity one byte at a time from readByte, which
// returns 0..255 or -1 when no byte is left. Bytes are read until one below
// 0x80; only the last four count. Returns -1 when a byte cannot be read.
template <class ReadByte>
int64_t readVariableLength(ReadByte&& readByte) {
    uint32_t packed = 0;
    for (;;) {
        const int b = readByte();
        if (b < 0) return -1;
        packed = (packed << 8) | static_cast<uint32_t>(b);
        if (b < 0x80) break;
    }
    uint32_t value = 0;
    for (int shift = 24; shift >= 0; shift -= 8)
        value = (value << 7) | ((packed >> shift) & 0x7F);
    return value;
}

// Appends the variable-length encoding of value (at most 0x0FFFFFFF).
void writeVariableLength(uint32_t value, std::vector<uint8_t>& out);

inline uint16_t bigEndian16(const uint8_t* b) {
    return static_cast<uint16_t>((b[0] << 8) | b[1]);
}
inline uint32_t bigEndian32(const uint8_t* b) {
    return (static_cast<uint32_t>(b[0]) << 24) | (static_cast<uint32_t>(b[1]) << 16) |
           (static_cast<uint32_t>(b[2]) << 8) | b[3];
}

}  // namespace vl
