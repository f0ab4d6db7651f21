#pragma once
// Swing, stage 2 of 3: midi/swing_statistics, analysis/swing_detection, notation/swing_quantising.
//
// Swing figures of a whole track set (how note-ons fall within the four
// sixteenth slots of the quarter note, in 96ths of a quarter) and the swing
// amount that the quantisation settings take from them.

#include <array>
#include <cstdint>

#include "midi/track_set.h"

namespace vl {

// Per class 0..3 (the sixteenth slot within the quarter note): how many
// note-ons were counted, their mean offset from the start of the slot and the
// deviation of that offset. Mean and deviation are scaled to 96 ticks per
// quarter note; a class without note-ons has both 0.
struct SwingFigures {
    std::array<int32_t, 4> count{};
    std::array<int32_t, 4> mean{};
    std::array<int32_t, 4> deviation{};
};

// Sums the tracks' swing statistics class by class and derives the figures.
// A division of 0 leaves means and deviations 0 (there is no scale).
SwingFigures computeSwingFigures(const TrackSet& set);

// The swing amount the figures show: 0 unless the second eighth's first
// sixteenth (class 2) is late by more than its own spread; then how much later
// it lies than the beat's (class 0), or 0 when it does not.
uint8_t swingAmount(const SwingFigures& figures);

uint8_t detectSwing(const TrackSet& set);

// Smallest r with r * r >= v (0 for v <= 0).
int64_t ceilingSquareRoot(int64_t v);

}  // namespace vl
