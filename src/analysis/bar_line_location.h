#pragma once
// Bar-line location: walks a track, follows its time signatures (real ones and
// time-signature meta markers) and inserts a bar marker at every bar line. In
// the second mode each bar line gets a whole bar group instead: proprietary
// note-offs of the notes sounding across it, the bar marker, then their
// proprietary note-ons.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "midi/midi_track.h"
#include "midi/track_set.h"
#include "platform/progress_reporter.h"
#include "platform/step_result.h"

namespace vl {

// A track never receives more bar markers than this: over two days of 4/4 at
// 120 beats per minute. Generated and concatenated files of a million notes
// reach tens of thousands of bars, so the limit must lie well above that: past
// it the music after the last marker is handed out as one long bar, whose
// re-assessment costs the square of its events. A hostile file (division 1
// and a delta of 2^28 ticks) would ask for tens of millions; past the limit
// the bars are still counted, so the markers already placed stay right, but
// no more are inserted.
inline constexpr size_t kMaxBarMarkersPerTrack = 100000;
// The same limit for all tracks of one set together, so that a file made of
// thousands of tiny tracks cannot multiply the per-track limit.
inline constexpr size_t kMaxBarMarkersPerSet = 1000000;
// Both limits count the bar markers a track already holds, so running the
// step again (a second transcription) cannot pile up markers without end.
//
// Below them, the markers of a set also stay in proportion to its music:
// kBarMarkerAllowance plus kBarMarkersPerNote per real note-on of the whole
// set (a conductor track has no notes of its own but needs every bar). A
// short file with a delta of 2^28 ticks thus gets 20,000 bars, not 100,000
// per track; real music has far fewer bars than notes.
inline constexpr size_t kBarMarkerAllowance = 20000;
inline constexpr size_t kBarMarkersPerNote = 16;

// The most bar markers the tracks of a set with this many real note-ons may
// receive together.
size_t barMarkerBudget(size_t realNoteOns);

// Inserts the bar markers (withBarGroups: bar groups with all three parts) into
// one track; the count is the number of bar markers inserted. Progress is
// reported per event; when the host cancels, the walk stops and the markers
// placed so far stay. A track with no note-on and nothing after tick 0
// receives nothing. At most maxBarMarkers are inserted, and at most
// maxTieEvents proprietary note-offs and note-ons in the bar groups (past that
// the bar lines get lone markers); tieEvents, when given, receives how many.
StepResult locateBarLinesInTrack(MidiTrack& track, bool withBarGroups, ProgressReporter& progress,
                                 size_t maxBarMarkers = kMaxBarMarkersPerTrack,
                                 size_t maxTieEvents = SIZE_MAX, size_t* tieEvents = nullptr);

// Runs locateBarLinesInTrack on every track as one progress step with this
// caption and the item word "Track"; the count is the bar markers of all tracks.
StepResult locateBarLines(TrackSet& tracks, bool withBarGroups, ProgressReporter& progress,
                          std::string_view caption);

}  // namespace vl
