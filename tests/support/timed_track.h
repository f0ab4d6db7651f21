#pragma once
// A track made from events at absolute times, for tests that describe notes by
// their start and end: events at one tick keep the order given by their rank,
// then the order they were listed in.

#include <cstdint>
#include <vector>

#include "midi/midi_track.h"

namespace vl::test {

struct TimedEvent {
    int64_t time;  // absolute ticks
    int rank;      // order among the events of one tick, lowest first
    MidiEvent event;
};

// The events with their delta times filled in; durations are assessed.
MidiTrack assessedTrackOf(std::vector<TimedEvent> events, uint32_t division);

}  // namespace vl::test
