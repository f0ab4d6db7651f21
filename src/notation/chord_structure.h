#pragma once
// Chord structure, the last transcription step: every strand is walked once
// more and each note-on is settled as the leading note of a chord or as a
// chord member (flag 0x80). A note-on that starts while none of its strand's
// notes sounds leads a chord: every note-on of its strand that starts before
// the leader's note-off is pulled onto one common onset and given one common
// set of tuplet bits (0x20 and the value index, bits 0 to 3). The onset is the
// leader's own, unless the leader is plain and a member is a triplet: then the
// (last) triplet member gives the chord its onset and bits.
//
// Cost of one strand: the walk visits every event of the track once. Each
// alignment walks the leader's window (its onset up to its onset plus its
// duration2) forwards and backwards once, and a moved note-on costs its own
// note's length (finding its note-off). A new leader starts only once every
// key of the previous chord has been released, which for a real key happens
// at the leader's own note-off or later, so the windows of successive leaders
// do not overlap and the windows add up to one more pass over the track.
// (Leaders with keys of 128 and above, the placeholder rests, never sound; a
// note in such a leader's window leads again, over the rest of that window.)
// A moved note-on also costs the walk to its own note-off.
// Bars are assessed again once per walk, when the walk leaves a bar in which
// notes moved, so that cost is one more pass too. Overlapping windows (only
// hostile data builds them: many leaders of keys 128 and above at one tick)
// could make the walks quadratic, so the alignments of one strand share an
// allowance of visited events in proportion to the track's size; once it is
// used up, later leaders keep their members' times and bits (their chord
// flags are still set).

#include <cstdint>
#include <string_view>
#include <vector>

#include "midi/midi_track.h"
#include "midi/track_cursor.h"
#include "midi/track_set.h"
#include "notation/strand.h"
#include "platform/progress_reporter.h"
#include "platform/step_result.h"

namespace vl {

inline constexpr std::string_view kConfirmChordsCaption = "Confirming chord structure...";

// Runs confirmStrandChords on every strand record whose track exists, under
// one progress step with the item word "Strand" (each record reported by its
// strand number); the count is the strands walked. A cancel stops the step
// between strands. Ends with one detail-line report of percentage 0 and the
// text " ", cancelled or not.
StepResult confirmChords(TrackSet& tracks, const std::vector<Strand>& strands,
                         ProgressReporter& progress);

// Walks the track and settles the chords of one strand on one channel; with
// lead false the chord flags are only recomputed and nothing moves. Returns
// the strand number, or -1 (nothing changed) when the track's channel mask
// lacks the channel or the number is -1. Durations of the bars in which notes
// moved are assessed again, and notes deleted by a move are purged.
int32_t confirmStrandChords(MidiTrack& track, uint8_t channel, int32_t strandNumber, bool lead);

// Aligns the chord led by the note-on under the cursor (its strand and channel
// are those of the chord). Returns true when a note-on was moved or removed.
// Afterwards the cursor stands on the first note-on of the strand and channel
// after the event that preceded the leader (the chord's leading note now), or
// at the end when there is none.
bool alignChord(TrackCursor& cursor);

}  // namespace vl
