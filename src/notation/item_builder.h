#pragma once
// Building the item lists the host walks from the annotated events: the start
// items, the guide strand (bar lines, signatures and tempo of the first track)
// and the items of one strand, and the makers that write a note or a gap as
// printable note values.

#include <cstdint>
#include <vector>

#include "midi/midi_track.h"
#include "midi/track_set.h"
#include "notation/item_list.h"
#include "notation/strand.h"

namespace vl {

// What one event yields while a strand list is built: its items, and the keys
// of the chord mates that each note item is to be copied for.
struct EventItems {
    ItemList items;
    std::vector<uint8_t> chordPitches;
};

// Key signature, time signature, tempo and swing style in force where the
// music starts, then the title and the notice text when the file has them.
ItemList buildStartItems(const TrackSet& tracks);

// The items of one strand (clef first when it has notes). Marks every note-on
// it writes, and every chord mate it copies, with flag 0x8000; notes already
// marked are skipped. A strand whose track is not in the set gives an empty list.
ItemList buildStrandItems(TrackSet& tracks, const Strand& strand);

// Bar lines, time signatures and tempo changes of a track, with rests between them.
ItemList buildGuideItems(const MidiTrack& track);

// The items of the event at e in a strand list being built with this time
// signature. Builds its own look-ahead over the track (linear in the track),
// so a whole strand goes through buildStrandItems instead.
EventItems buildEventItems(MidiTrack& track, EventPos e, uint8_t numerator,
                           uint8_t denominatorExponent, uint32_t strand);

// A single span is written with at most this many 64ths (1024 breves); a
// longer one is cut, so that one absurd gap cannot use up a whole list.
inline constexpr int64_t kMaxSpan64ths = 128 * 1024;

// Writes a note at p ticks after the bar line, played for L ticks and free to
// last M ticks, followed by gap ticks of silence: the note's length is fitted,
// its pieces are tied, and the gap left by the fitting becomes rests. A key
// above 128 (a placeholder) is written as rests of the same values.
// tupletFlags are the note-on's flag bits 0x6F.
void addNote(ItemList& list, int64_t p, int64_t L, int64_t M, int64_t gap, int key,
             uint16_t tupletFlags);
// Rests for G ticks starting p ticks after the bar line; nothing when G < 1.
void addRests(ItemList& list, int64_t p, int64_t G, uint16_t tupletFlags);
// Rests for G ticks from the bar line: a whole-bar rest when G is a full bar.
void addGapRests(ItemList& list, int64_t G);

}  // namespace vl
