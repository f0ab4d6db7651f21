#pragma once
// Notation whose truth is known because it is generated: notes per track with onset and
// written value in units of 1/960 crotchet (exact for dotted values, triplets and
// quintuplets), and the bar structure with its time signatures.

#include <cstdint>
#include <string>
#include <vector>

namespace vl::fidelity {

constexpr std::int64_t kUnitsPerQuarter = 960;

struct Metre {
    int beats = 4;
    int beatType = 4;  // 1, 2, 4, 8, 16
    std::int64_t barLength() const { return beats * 4 * kUnitsPerQuarter / beatType; }
    bool operator==(const Metre&) const = default;
};

struct Bar {
    std::int64_t start = 0;
    Metre metre;
};

// A written note; a note tied over a bar line is one note whose value spans both bars.
struct Note {
    std::int64_t onset = 0;
    std::int64_t value = 0;
    int pitch = 60;
    bool swung = false;  // a quaver the rendering plays swung
};

struct Track {
    int channel = 0;  // 9 for drums
    std::vector<Note> notes;
};

struct Piece {
    std::string category;
    std::string name;
    std::vector<Bar> bars;           // bar 0 starts at 0; the last ends at `end`
    std::int64_t end = 0;
    std::int64_t musicStart = 0;     // a pick-up begins inside bar 0
    bool metreInLaterTrack = false;  // the first track holds only the opening signature
    int lateTicks = 0;               // every event this many ticks late, even when exact
    std::vector<Track> tracks;

    // The bar (from 0) holding `position`.
    std::size_t barAt(std::int64_t position) const;
};

// The generated pieces, the same for the same seed.
std::vector<Piece> generatePieces(std::uint32_t seed);

}  // namespace vl::fidelity
