#pragma once
// First quantising of one track: note-ons and tempo changes are moved onto the
// quantisation grid, notes of zero length are deleted, and, channel by
// channel, a note that overlaps the next note a little or overhangs a bar line
// a little is cut short (or deleted when too little of it would be left).
//
// Grid positions are the cursor's time since the latest bar marker, so bar
// markers must be in place before this runs.

#include <cstddef>
#include <cstdint>

#include "midi/midi_track.h"
#include "platform/step_result.h"

namespace vl {

class ProgressReporter;
class QuantisationSettings;
struct ResolutionSettings;

// Swing position value of a note-on: (sixteenth slot within the quarter + 1)
// in bits 8 to 10, so 0x100 to 0x400.
inline constexpr uint16_t kSwingPositionBits = 0x0700;
inline constexpr uint16_t kSwingPositionUnit = 0x0100;

// Whole-track pass: each note-on moves by the grid's note-on offset and gets
// the triplet flag when its grid point is a triplet point; each tempo change
// (real or marker) moves to the earlier grid point. A note-on moved onto a bar
// line goes behind the bar marker and the signatures and proprietary note-ons
// that open the bar. With swing detected, note-ons get their swing position
// value. Every visited event gets its rhythm marks and swing bits rewritten (0
// for events that are no note-ons). Reports each event on the detail line and
// stops when the host cancels. The count is the number of moves made.
StepResult quantiseOnsets(MidiTrack& track, const QuantisationSettings& grid,
                          ProgressReporter& progress);

// Deletes every note whose real note-off lies at the same tick as its real
// note-on, then purges (a cancel stops only the purge). The count is the
// number of notes deleted.
StepResult deleteZeroLengthNotes(MidiTrack& track, ProgressReporter& progress);

// The count is the notes shortened and deleted together.
struct TrimResult : StepResult {
    size_t notesShortened = 0;
    size_t notesDeleted = 0;
};

// Per channel used by the track (its channel mask), until the host cancels:
// a note whose overlap with a later note of its channel, or whose overhang
// across a bar marker, passes the overlap test of the tolerances is cut back
// to where that note or bar begins, or deleted when it would be shorter than
// one grid step. Purges after deleting.
TrimResult trimOverlaps(MidiTrack& track, const QuantisationSettings& grid,
                        const ResolutionSettings& tolerances, ProgressReporter& progress);

// The three passes in order, each after a cancel in the one before too. The
// count is the moves of the whole-track pass (deleting zero-length notes and
// trimming do not count); a cancel in any of the passes is reported.
StepResult firstQuantiseTrack(MidiTrack& track, const QuantisationSettings& grid,
                              const ResolutionSettings& tolerances, ProgressReporter& progress);

}  // namespace vl
