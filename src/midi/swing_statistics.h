#pragma once
// Swing, stage 1 of 3: midi/swing_statistics, analysis/swing_detection, notation/swing_quantising.
//
// Timing of a track's note-ons against the sixteenth-note grid, gathered when
// a track is read and again after an initial delay is removed.

#include <cstdint>

#include "midi/midi_track.h"

namespace vl {

// Fills track.swing: per class (sixteenth slot within the quarter note: bit 0
// odd sixteenth, bit 1 odd eighth) the count of note-ons, the sum of their
// offsets from the sixteenth grid line and the sum of the squared offsets.
// Returns the number of note-ons counted. A division below 4 gathers nothing.
int32_t computeSwingStatistics(MidiTrack& track);

}  // namespace vl
