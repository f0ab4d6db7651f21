#pragma once
// Ties across bar lines: every note still sounding at a bar marker is ended
// just before the marker with a proprietary note-off and started again after
// the bar line with a proprietary note-on of the same channel, key and strand,
// so that each bar holds its own piece of the note. The pieces are measured
// again, so that the first one ends at the bar line.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "midi/midi_track.h"
#include "midi/track_set.h"
#include "platform/progress_reporter.h"
#include "platform/step_result.h"

namespace vl {

// A track never receives more tie events (proprietary note-offs and note-ons
// together) than this. A string section holding four-note chords across every
// bar line of a 26,000-bar file makes 210,000; a hostile file can hold a
// hundred thousand bar markers with 2048 notes sounding across each. Past the
// limit the bar markers are still counted and no more notes are split.
inline constexpr size_t kMaxTieEventsPerTrack = 1000000;
// The same limit for all tracks of one set together.
inline constexpr size_t kMaxTieEventsPerSet = 2000000;
// Below those, a track's tie events also stay in proportion to its own notes:
// this many per real note-on (a note tied across 32 bar lines) plus an
// allowance (a four-note chord held across 2,048 bar lines). Without it a file
// of a few hundred bytes, a handful of notes held across a delta of 2^28
// ticks, would grow by a million events.
inline constexpr size_t kTieEventsPerNote = 64;
inline constexpr size_t kTieEventAllowance = 16384;

// The most tie events a track with this many real note-ons may receive by its
// notes alone.
size_t tieEventBudget(size_t realNoteOns);

// Splits the notes of one track at every bar marker they sound across; the
// count is the number of bar markers walked past (split or not). Progress is
// reported per event; when the host cancels, the walk stops and the pieces
// placed so far stay measured. Tracks that already hold the pieces get nothing
// new. At most maxTieEvents events are inserted.
StepResult markTiesInTrack(MidiTrack& track, ProgressReporter& progress,
                           size_t maxTieEvents = kMaxTieEventsPerTrack);

// Runs markTiesInTrack on every track as one progress step with this caption
// and the item word "Track"; the count is the sum of the bar markers counted.
// Its cancel, not the reporter's own cancel word (which only holds the host's
// latest reply), tells whether the host cancelled.
StepResult markTies(TrackSet& tracks, ProgressReporter& progress, std::string_view caption);

}  // namespace vl
