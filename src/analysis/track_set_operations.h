#pragma once
// Operations on every track of a track set, first to last: the combined
// channel masks, the resets of the analysis annotations, and the removal of
// marker events. The removals are the markers module's whole-set forms
// (removeBarGroups, removeAllMarkers), made available here with the rest.

#include "markers/bar_groups.h"
#include "markers/meta_markers.h"
#include "midi/track_set.h"

namespace vl {

// Recomputes each track's channel mask, proprietary notes counting with the
// channel of the note they stand for.
void computeChannelMasks(TrackSet& set);

// Every event: flags 0, strand -1, both duration words 0.
void resetAllAnnotations(TrackSet& set);

// Every event: flags 0x8000 and 0x4000 cleared, strand -1, both duration words
// 0; durations and strands are then assessed again.
void resetAssessment(TrackSet& set);

// Every event: strand -1, flag 0x4000 cleared.
void resetStrands(TrackSet& set);

// Every event: flag 0x8000 (taken by item output) cleared.
void clearOutputMarks(TrackSet& set);

}  // namespace vl
