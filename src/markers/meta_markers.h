#pragma once
// Copies of the first track's key and time signatures as meta markers in the
// other tracks, so that every track follows the same metre; and their removal.

#include <cstddef>

#include "midi/midi_track.h"
#include "midi/track_set.h"

namespace vl {

// Inserts into destination a marker for every real key or time signature of
// source, at the signature's own absolute tick. A signature later than the
// destination's last event is not copied. Inside an existing tick group a time
// signature goes after the group's bar marker (else first in the group) and is
// skipped when the group has a time signature already; a key signature goes
// after a real time signature or bar marker, before a time-signature marker,
// and is skipped when the group has a key signature. Returns the number of
// markers inserted. Linear in the lengths of both tracks.
size_t insertMetaMarkers(MidiTrack& destination, const MidiTrack& source);

// The first track is the source, every other track a destination; a set of
// fewer than two tracks is left alone. Returns the number inserted.
size_t insertMetaMarkers(TrackSet& set);

// Erases every tempo, key-signature and time-signature marker of the track,
// keeping every other event's absolute time. Returns the number erased.
size_t removeMetaMarkers(MidiTrack& track);
size_t removeMetaMarkers(TrackSet& set);

}  // namespace vl
