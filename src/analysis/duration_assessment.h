#pragma once
// Note-duration assessment: for every note, how long its key sounds
// (duration2: note-on to note-off) and how much time it may fill in notation
// (duration1: duration2 plus the gap to the next note-on of its channel and
// strand or the next bar marker, whichever comes first). Both are written into
// the note-on and into its note-off; bar markers get 0 and 0.
//
// The duration words are 16 bits. A length or a length plus gap above 65535
// ticks is saturated at 65535: a value never silently wraps, and duration1
// never ends up below duration2.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "midi/midi_track.h"
#include "midi/track_set.h"
#include "platform/progress_reporter.h"
#include "platform/step_result.h"

namespace vl {

inline constexpr uint16_t kMaxDuration = 65535;

// Assesses every track as one progress step with this caption and the item
// word "Track"; the count is the notes measured in all tracks.
StepResult assessDurations(TrackSet& tracks, ProgressReporter& progress,
                           std::string_view caption);

// Clears flag 0x8000 and both duration words of every event, then measures
// every note, in time linear in the number of events; the count is the notes
// measured. A note-off ends up carrying the numbers of the (last) note-on it
// ends; a note-on without a note-off keeps 0 and 0. Progress is reported per
// event; after a cancel the events before that point are assessed, the rest
// untouched apart from the note-offs of notes already measured.
StepResult assessTrack(MidiTrack& track, ProgressReporter& progress);

// Measures the note whose note-on (real or proprietary) is at pos, or gives a
// bar marker 0 and 0; clears flag 0x8000 where it writes. Returns true when
// something was written. Walks forward from pos to the note's end and on to
// the end of its gap, so it is meant for repairing a few notes.
bool assessNote(MidiTrack& track, EventPos pos);

// A note-on or a bar marker is assessed; a note-off (real or proprietary)
// re-measures the nearest earlier note-on of its channel and key. Returns what
// assessNote returned; false for any other event or a note-off without a
// note-on.
bool reassessEvent(MidiTrack& track, EventPos pos);

// Re-measures the bar holding pos: from its bar marker (or the first event) up
// to the next bar marker, every event is cleared and assessed again. With
// stepBackFirst the bar of the event before pos is taken (pos itself when it
// is the first event), so that pos may be the bar marker that ends the bar.
// The cost grows with the bar: a pass that edits a bar re-measures it once,
// when its walk leaves the bar, not after every edit.
void reassessBar(MidiTrack& track, EventPos pos, bool stepBackFirst);

}  // namespace vl
