#include "midi/track_set.h"

namespace vl {

size_t TrackSet::eventCount() const {
    size_t n = 0;
    for (const MidiTrack& t : tracks) n += t.size();
    return n;
}

}  // namespace vl
