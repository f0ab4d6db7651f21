#pragma once
// Repairs of a whole track set that belong to no transcription step: removing
// tracks that repeat another track's notes, making every track end at the same
// tick, and finding and removing a delay before the music starts. Each one
// costs time linear in the number of events.

#include <cstdint>

#include "midi/midi_track.h"
#include "midi/track_set.h"

namespace vl {

// True when both tracks hold the same real note-ons and note-offs (status 0x8n
// and 0x9n; every other event is skipped) in the same order, each pair at the
// same absolute time with the same kind and key. Channel and velocity are not
// compared.
bool hasSameNotes(const MidiTrack& a, const MidiTrack& b);

// Removes every track whose notes repeat those of an earlier track that is
// itself kept; the first track always stays. Returns the number removed.
int32_t removeDuplicateTracks(TrackSet& set);

// Absolute time of the track's first end-of-track event, or the sum of all
// its delta times when it has none.
int64_t trackLength(const MidiTrack& track);

// Moves each end-of-track event that lies before the longest track's length
// out to that length by lengthening its delta. Tracks without one stay as
// they are. Returns the common length.
int64_t equaliseTrackLengths(TrackSet& set);

// Ticks of one beat of a time signature with denominator 2^dd: division * 4
// / 2^dd. A power above 6 is taken as 6: the sixty-fourth note is the shortest
// note value the notation writes, so a finer beat counts as one of those.
uint32_t beatLength(uint32_t division, uint8_t dd);

// The delay before the music starts, from the time-signature grid of the
// first track when it has a signature beyond the first bar, else the first
// note-on when that comes within the first beat. May be negative when the grid
// says the music starts before the first note; 0 without tracks or with a
// division of 0.
int64_t computeInitialDelay(const TrackSet& set);

// Collapses everything at or before tick delay onto tick 0 (order kept) and
// moves every later event delay ticks earlier, in every track; then gathers
// each track's swing statistics again. Nothing happens for delay <= 0.
void removeInitialDelay(TrackSet& set, int64_t delay);

}  // namespace vl
