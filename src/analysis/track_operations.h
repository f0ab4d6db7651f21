#pragma once
// Editing operations on one track that the analysis steps share: finding a
// note's end, moving an event in time, deleting notes in place (with the tie
// chain kept well formed), swapping an event with its predecessor, purging
// deleted-event markers, and the combined channel mask.
//
// Every operation keeps the absolute time of each event it does not move or
// remove, and costs O(1) plus the length of the walk it makes. Positions into
// the track stay valid: events are relinked, never copied.

#include <cstddef>
#include <cstdint>

#include "midi/midi_track.h"
#include "midi/track_cursor.h"

namespace vl {

class EventProgress;

struct NoteEnd {
    bool found = false;
    int64_t length = 0;  // ticks from the note-on to its note-off
};

// From a note-on (real, or a proprietary note-on) walks forward to the first
// note-off of the same channel and key (real 0x8n, 0x9n with velocity 0, or a
// proprietary note-off). On success pos is left on the note-off; otherwise
// (pos is no note-on, or the track ends first) pos is unchanged.
NoteEnd findNoteEnd(MidiTrack& track, EventPos& pos);
// The same walk with a cursor, which keeps its time and bar time on success
// and is restored completely otherwise.
NoteEnd findNoteEnd(TrackCursor& cursor);

// Moves the event under the cursor by ticks (negative = earlier).
//
// Earlier: the event's order never changes; every event between the target
// time and the event's old time is pulled back to the target, ahead of it. A
// target before tick 0 becomes tick 0. When the event is a note-on whose
// note-off is a real one, the note-off moves earlier by the same amount,
// passing back over every event later than its new time, so the note keeps
// its length. The cursor's time follows the event. Returns 0.
//
// Later: a note-on whose note is not longer than ticks (or that has no
// note-off) is removed with deleteTiedPiece and nothing moves; the cursor then
// stands on a deleted-event marker and keeps its time, and the result is 0.
// Otherwise the event moves past every event earlier than its new time (it
// goes ahead of events at exactly that time), its note-off stays, and the
// result is the number of events passed. The cursor's time follows the event.
//
// In both directions the cursor's bar time is kept equal to the latest bar
// marker at or before the moved event. An amount that would need a delta time
// beyond 32 bits is reduced to the largest that fits.
size_t shiftEvent(TrackCursor& cursor, int64_t ticks);

// Turns both events into deleted-event markers (times kept, annotations
// reset). off may be the track's end for a note without a note-off.
void deleteNote(MidiTrack& track, EventPos on, EventPos off);

// Deletes one piece of a tied note, keeping the chain well formed: when the
// piece is the last one (proprietary note-on, real note-off), the nearest
// earlier proprietary note-off of the same channel and key becomes that real
// note-off; when it is the first one (real note-on, proprietary note-off), the
// nearest later proprietary note-on of the same channel and key becomes that
// real note-on. The event taking over keeps its time and annotations. Then
// both events are neutralised. off may be the end (no note-off).
void deleteTiedPiece(MidiTrack& track, EventPos on, EventPos off);

// Gives the event at pos the absolute time of the event before it and swaps
// the two; the event after them keeps its time and pos follows the moved
// event. False (nothing changes) for the first event or the end.
bool moveBackOnePlace(MidiTrack& track, EventPos pos);

// Removes every deleted-event marker in one pass, handing each one's delta to
// the event after it. With progress, each event's index is reported before it
// is looked at and a cancel stops the pass; the markers not reached stay for
// the next purge. Returns the number removed.
size_t purgeDeleted(MidiTrack& track, EventProgress* progress = nullptr);

// Bit c set for every channel c used by an event, proprietary notes counting
// with the channel of the note they stand for. Stored in the track and
// returned.
uint16_t computeChannelMask(MidiTrack& track);

// The real note-ons (channel messages, velocity above 0) of the track: the
// measure of how much music a track brings, which the work limits follow.
size_t countRealNoteOns(const MidiTrack& track);

}  // namespace vl
