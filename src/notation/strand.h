#pragma once
// One line of notation: the notes of one track and MIDI channel that strand
// assignment put together (chords included). The session keeps these records
// in creation order; the note-ons of a strand carry its number in their
// strand index.

#include <array>
#include <cstdint>

namespace vl {

struct Strand {
    uint32_t number = 0;                // counted from 0 over the whole session
    uint32_t trackIndex = 0;            // zero-based index of the track in the track set
    uint8_t channel = 0;                // MIDI channel 0 to 15
    std::array<uint8_t, 3> reserved{};  // always 0

    bool operator==(const Strand&) const = default;
};

static_assert(sizeof(Strand) == 12, "a strand record is 12 bytes");

}  // namespace vl
