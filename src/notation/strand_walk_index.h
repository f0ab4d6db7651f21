#pragma once
// What the item lists of a track's strands need from the track, gathered in
// one pass over it: the events each strand's list visits (its own events and
// the structural events every list shares), with their places and times, the
// strand's note-ons and chord members, and the bar, key and time events a
// rest stops at. Building every strand's list from this index costs the
// track's events once, plus each list's own events, instead of one pass over
// the whole track per strand.
//
// The index points at events of the track: it is valid only until the track
// is edited.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "midi/midi_track.h"
#include "midi/track_set.h"
#include "notation/item_list.h"
#include "notation/strand.h"

namespace vl {

// An event and where it stands: its zero-based place in the track and its
// absolute time in ticks.
struct WalkEvent {
    EventPos position;
    size_t index = 0;
    int64_t time = 0;
};

// A place in the track (a note-on of a strand or a bar, key or time event).
struct WalkStop {
    size_t index = 0;
    int64_t time = 0;
};

// The events of one strand, in track order.
struct StrandWalkEvents {
    std::vector<WalkEvent> own;      // events of the strand that are not structural
    std::vector<WalkStop> onsets;    // its note-ons (real and proprietary)
    std::vector<WalkEvent> mates;    // those of its note-ons flagged as chord members
};

class StrandWalkIndex {
public:
    // Linear in the number of events of the track.
    StrandWalkIndex(MidiTrack& track, size_t trackIndex);

    MidiTrack& track() const { return *track_; }
    size_t trackIndex() const { return trackIndex_; }
    size_t eventCount() const { return eventCount_; }
    int64_t lastTime() const { return lastTime_; }
    // Structural events (shared by every strand's list), in track order.
    const std::vector<WalkEvent>& structural() const { return structural_; }
    // Bar markers, key and time signatures, in track order.
    const std::vector<WalkStop>& stops() const { return stops_; }
    // The events of a strand; empty lists for a strand with none in the track.
    const StrandWalkEvents& strand(uint32_t number) const;
    // A cheap check (constant time) that this is still an index of track:
    // the same track object, event count and first and last events. It cannot
    // see every edit; whoever edits the track drops the index.
    bool stillDescribes(const MidiTrack& track) const;

private:
    MidiTrack* track_;
    const MidiEvent* first_ = nullptr;
    const MidiEvent* last_ = nullptr;
    size_t trackIndex_;
    size_t eventCount_ = 0;
    int64_t lastTime_ = 0;
    std::vector<WalkEvent> structural_;
    std::vector<WalkStop> stops_;
    std::unordered_map<uint32_t, StrandWalkEvents> strands_;
    StrandWalkEvents none_;
};

// The items of one strand built from an index of its track (which must be
// tracks.tracks[strand.trackIndex], unedited since the index was built);
// the same list as buildStrandItems(tracks, strand).
ItemList buildStrandItems(const TrackSet& tracks, const Strand& strand,
                          const StrandWalkIndex& index);

}  // namespace vl
