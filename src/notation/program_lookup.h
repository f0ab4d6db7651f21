#pragma once
// The program (instrument) a MIDI channel starts with.

#include <cstdint>

#include "midi/track_set.h"

namespace vl {

inline constexpr uint8_t kNoProgram = 255;

// The earliest first program change of the channel over all tracks (the
// earlier track on equal times); kNoProgram when there is none or the
// channel is not 0 to 15.
uint8_t programOfChannel(const TrackSet& tracks, uint8_t channel);

}  // namespace vl
