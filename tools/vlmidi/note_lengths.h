#pragma once
// Written lengths revised against played ones. The library lengthens a note towards a strong
// beat as far as the silence after it allows, because players hold notes short; and it leaves
// a rest where a held note ends a little before the next one. Either is right for one player
// and wrong for another. The file tells which player it is: how long its notes sound of the
// time to the next onset (the articulation). Against that, a note written twice as long as its
// player holds such notes is halved and followed by a rest, and the rests after a note held
// almost to the next one become that note, tied on.

#include <cstdint>
#include <optional>
#include <vector>

#include "played_notes.h"
#include "score_model.h"

namespace vl::cli {

// The share of the time to the next onset that the channel's notes typically sound: the upper
// quartile of that share over its notes, at most 1. Nothing with fewer than 8 notes to tell.
std::optional<double> articulationOf(const PlayedChannel& played);

// Revises the voice's notes (positions counted from the voice's start, the file's tick 0) that
// the channel plays; answers how many notes changed.
int reviseNoteLengths(std::vector<MeasureElements>& segments, const PlayedChannel& played,
                      std::uint32_t division);

}  // namespace vl::cli
