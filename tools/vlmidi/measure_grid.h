#pragma once
// One set of measures for every part. Each track's strands get bar lines from the first track's
// time signatures plus the track's own, so parts of different tracks can disagree on where the
// bars fall. When they do, one grid is built from the first track's signatures and those the
// other tracks carry at bars where the first track has none, and the disagreeing parts are
// re-barred onto it: notes crossing a new bar line are split and tied, rests re-laid, and the
// grid's time signatures shown in every part.

#include <cstdint>
#include <optional>
#include <vector>

#include "score_model.h"

namespace vl::cli {

// The first track's bars as the guide strand has them, one per measure from the first full one:
// the time signature item it carries, if any, and the length of its rests (0 for none).
struct GuideBar {
    std::optional<TimeSignature> time;
    std::int64_t length = 0;
};

// Re-bars `score` as described above; a score whose parts agree is left as it is.
void alignMeasures(Score& score, const TimeSignature& startTime,
                   const std::vector<GuideBar>& guide);

}  // namespace vl::cli
