#pragma once
// One line of notation: the notes of one track and MIDI channel that the
// strand assignment put together (chords included).

#include <cstdint>

namespace vl {

struct Strand {
    int16_t number = 0;
    uint16_t trackIndex = 0;
    uint8_t channel = 0;
};

}  // namespace vl
