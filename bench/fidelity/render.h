#pragma once
// A piece as the bytes of a format 1 Standard MIDI File at 480 ticks per quarter, 120 crotchets
// a minute: a conductor track with the tempo and the time signatures, then one track per part.

#include <cstdint>
#include <vector>

#include "piece.h"

namespace vl::fidelity {

enum class Rendering {
    Exact,    // onsets and durations as written
    PlayedIn  // onsets jittered by a few percent of a beat, notes held 80-95 %, velocities spread
};

constexpr int kTicksPerQuarter = 480;

std::vector<std::uint8_t> renderPiece(const Piece& piece, Rendering rendering,
                                      std::uint32_t seed);

}  // namespace vl::fidelity
