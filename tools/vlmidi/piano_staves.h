#pragma once
// Two-staff parts written the way a pianist reads them: each note on the staff its pitch
// belongs to, middle C and above on the treble staff, below it on the bass staff.

#include "score_model.h"

namespace vl::cli {

// The lowest key written on the upper staff of a two-staff part.
constexpr int kLowestUpperStaffKey = 60;

// Splits every voice of each two-staff part of `score` into a voice per staff: a chord that
// spans both staves gives each its share, and a voice where its notes are on the other staff
// holds rests of their values. Notes keep their durations, ties and tuplets; a voice's key, time
// and program changes stay with it on its own staff. A voice that only rests in a measure is left
// empty there (the writer skips it) when another voice of its staff plays, or when it holds
// notes moved from another staff. Single-staff parts are left as they are.
void placeNotesOnStaves(Score& score);

}  // namespace vl::cli
