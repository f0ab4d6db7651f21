#include "notation/program_lookup.h"

namespace vl {

uint8_t programOfChannel(const TrackSet& tracks, uint8_t channel) {
    if (channel >= 16) return kNoProgram;
    uint8_t program = kNoProgram;
    int64_t earliest = INT64_MAX;
    for (const MidiTrack& track : tracks.tracks) {
        int64_t time = 0;
        for (const MidiEvent& e : track.events) {
            time += e.time;
            if (time >= earliest) break;  // cannot beat the track already found
            if (e.message.isProgramChange() && e.message.channel() == channel) {
                earliest = time;
                program = e.message.data1;
                break;
            }
        }
        if (earliest == 0) break;
    }
    return program;
}

}  // namespace vl
