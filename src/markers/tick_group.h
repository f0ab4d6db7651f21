#pragma once
// Tick groups: the run of events of a track that share one tick. The first
// has a non-zero delta (or is the track's first event), the others delta 0.

#include <iterator>

#include "midi/midi_track.h"

namespace vl {

// First event of the tick group that holds p (p must not be the end).
inline EventPos tickGroupStart(MidiTrack& track, EventPos p) {
    while (p != track.begin() && p->time == 0) --p;
    return p;
}

// The event after the tick group that starts at start, or the end.
inline EventPos tickGroupEnd(MidiTrack& track, EventPos start) {
    EventPos p = std::next(start);
    while (p != track.end() && p->time == 0) ++p;
    return p;
}

}  // namespace vl
