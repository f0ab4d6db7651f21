#pragma once
// The session's copy of a Standard MIDI File header chunk. A session built
// without a file keeps the defaults below.

#include <array>
#include <cstdint>

namespace vl {

struct MidiFileHeader {
    std::array<char, 4> chunkType{'M', 'T', 'h', 'd'};  // as read, never compared
    uint32_t chunkLength = 6;                            // as read, never used to skip
    uint16_t format = 0;                                 // stored, never tested
    uint16_t trackCount = 0;
    uint16_t division = 96;  // ticks per quarter; a time-code division is taken as is
};

}  // namespace vl
