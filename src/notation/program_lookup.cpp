#include "notation/program_lookup.h"

#include <cstddef>
#include <initializer_list>

namespace vl {

namespace {

// The best program change found so far: the earliest, the earlier track on
// equal times.
struct Found {
    int64_t time = INT64_MAX;
    size_t track = SIZE_MAX;
    uint8_t program = kNoProgram;

    // Whether a program change of track i at `time` would come before this one.
    bool beatenBy(int64_t t, size_t i) const { return t < time || (t == time && i < track); }
};

// Looks at track i's events while one of them could still beat `found`, and
// takes the track's first program change of the channel if it does.
void scanTrack(const MidiTrack& track, size_t i, uint8_t channel, Found& found) {
    int64_t time = 0;
    for (const MidiEvent& e : track.events) {
        time += e.time;
        if (!found.beatenBy(time, i)) return;
        if (e.message.isProgramChange() && e.message.channel() == channel) {
            found = {time, i, e.message.data1};
            return;
        }
    }
}

}  // namespace

uint8_t programOfChannel(const TrackSet& tracks, uint8_t channel) {
    if (channel >= 16) return kNoProgram;
    // A host asks once per strand. The tracks that play the channel usually
    // set its program near their start: looking there first bounds the walk
    // over every other track to the events before that time. The masks only
    // choose the order; every track is still looked at.
    Found found;
    for (const bool playsChannel : {true, false})
        for (size_t i = 0; i < tracks.tracks.size(); ++i)
            if (tracks.tracks[i].usesChannel(channel) == playsChannel)
                scanTrack(tracks.tracks[i], i, channel, found);
    return found.program;
}

}  // namespace vl
