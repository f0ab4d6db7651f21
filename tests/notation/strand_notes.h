#pragma once
// Strands described by their notes' start and end, made into an assessed
// track with bar markers: for the tests of the triplet and swing passes.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "markers/marker_events.h"
#include "support/timed_track.h"

namespace vl::test {

// One note: on and off time, key, flags of the note-on (0x20 triplet
// candidate, 0x80 chord member), strand and channel.
struct StrandNote {
    int64_t on;
    int64_t off;
    uint8_t key = 60;
    uint16_t flags = 0;
    int16_t strand = 0;
    uint8_t channel = 0;
};

// Bar markers at 0 and every bar of 4/4 up to the last note-off; at one tick
// note-offs come first, then the bar marker, then note-ons. Durations are
// assessed.
inline MidiTrack strandTrack(const std::vector<StrandNote>& notes, uint32_t division = 96) {
    std::vector<TimedEvent> items;
    int64_t last = 0;
    for (const StrandNote& n : notes) {
        MidiEvent on(0, MidiMessage::channel(kind::NoteOn, n.channel, n.key, 100));
        on.flags = n.flags;
        on.strand = n.strand;
        items.push_back({n.on, 2, on});
        items.push_back(
            {n.off, 0, MidiEvent(0, MidiMessage::channel(kind::NoteOff, n.channel, n.key, 0))});
        last = std::max(last, n.off);
    }
    const int64_t bar = division == 0 ? last + 1 : int64_t{division} * 4;
    for (int64_t t = 0; t <= last; t += bar)
        items.push_back({t, 1, MidiEvent(0, barMarkerMessage())});
    return assessedTrackOf(std::move(items), division);
}

}  // namespace vl::test
