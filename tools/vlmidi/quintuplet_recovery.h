#pragma once
// Quintuplets, recovered by the host. The library has no pass that finds quintuplets: it writes
// five even notes in a crotchet as whatever its semiquaver and triplet grids make of them, and
// sometimes merges two. The file itself still tells: where a track plays exactly five notes in a
// crotchet, each near a fifth of it, and the library wrote that crotchet of the voice as notes of
// the same keys in the same order, the voice gets five quintuplet semiquavers instead.

#include <array>
#include <cstdint>
#include <vector>

#include "played_notes.h"
#include "score_model.h"

namespace vl::cli {

struct PlayedQuintuplet {
    std::int64_t crotchet = 0;  // crotchets from the start of the file
    std::array<int, 5> keys{};
};

// The crotchets that a channel plays as five single notes, each within a twentieth of a
// crotchet of its fifth.
std::vector<PlayedQuintuplet> findPlayedQuintuplets(const PlayedChannel& played,
                                                    std::uint32_t division);

// Rewrites the crotchets of a voice (positions counted from the voice's start, the file's
// tick 0) that its channel plays as a quintuplet; answers how many. `key` is the key signature
// the voice starts in, for spelling keys the library did not write.
int rewritePlayedQuintuplets(std::vector<MeasureElements>& segments,
                             const std::vector<PlayedQuintuplet>& played, const KeySignature& key);

}  // namespace vl::cli
