#pragma once
// What the steps after illegal-event elimination rely on in every track,
// checked between the steps of debug builds so that a step that breaks it
// fails at that step and not several steps later. Events are delta-timed, so
// their time order cannot break; what can is the list's links and the
// pairing of each note-on with the note-off that ends it.

#include <string>
#include <string_view>

#include "midi/midi_track.h"
#include "midi/track_set.h"

namespace vl {

// Empty when the track is well formed. Otherwise what is wrong, with the
// index of the event where it shows: the links walked forwards or backwards
// disagree with the size, a note-on whose key already sounds on its channel,
// or a note-off of a key that does not sound. A note still sounding at the
// end is allowed: the steps let it last to the track's end.
std::string trackInvariantBreach(const MidiTrack& track);

// In debug builds, checks every track and aborts with the step's name, the
// track and the breach on the first one that is not well formed. Release
// builds do nothing.
void checkTrackInvariants(const TrackSet& tracks, std::string_view step);

}  // namespace vl
