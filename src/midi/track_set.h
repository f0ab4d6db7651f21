#pragma once
// The session's MIDI data: its tracks in file order and the division.

#include <cstdint>
#include <vector>

#include "midi/midi_track.h"

namespace vl {

class TrackSet {
public:
    std::vector<MidiTrack> tracks;
    uint32_t division = 96;
    uint32_t liveFlag = 0;
    uint8_t swingDetected = 0;

    size_t size() const { return tracks.size(); }
    bool empty() const { return tracks.empty(); }
    MidiTrack& appendTrack(MidiTrack t) {
        tracks.push_back(std::move(t));
        return tracks.back();
    }
    MidiTrack& addEmptyTrack() { return appendTrack(MidiTrack(division)); }
    size_t eventCount() const;
};

}  // namespace vl
