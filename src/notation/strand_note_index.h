#pragma once
// What strand assignment needs to know about the note-ons of one track,
// gathered in one pass over it: per MIDI channel, the note-ons (real and
// proprietary) in list order, each with its span, and the places of the bar
// markers. Spans do not change while strands are assigned (no event moves),
// so every strand walk over the track reads them here instead of searching
// the track for note-offs and onsets again.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "midi/midi_track.h"

namespace vl {

// Three absolute tick times of one note-on.
struct NoteSpan {
    int64_t start = 0;  // the note-on
    // The first later note-off of the same channel and key (real or
    // proprietary); start when there is none.
    int64_t end = 0;
    // The first note-on of any channel and key (real or proprietary) or bar
    // marker after that note-off (after the note-on itself when it has no
    // note-off); start when there is none.
    int64_t next = 0;

    bool operator==(const NoteSpan&) const = default;
};

struct IndexedNote {
    EventPos position;      // the note-on event
    size_t eventIndex = 0;  // its zero-based place in the track
    // Where a strand walk stands once this note is placed: the place of its
    // note-off, or of the note-on itself when it has none.
    size_t resumeIndex = 0;
    NoteSpan span;
    bool real = true;  // false for a proprietary note-on
};

class StrandNoteIndex {
public:
    // Linear in the number of events, plus a binary search per note. The
    // index is made for a new assignment, so the same walk clears the
    // strand-set flag of every event.
    explicit StrandNoteIndex(MidiTrack& track);

    std::vector<IndexedNote>& notesOf(uint8_t channel) { return notes_[channel & 0x0F]; }
    const std::vector<IndexedNote>& notesOf(uint8_t channel) const {
        return notes_[channel & 0x0F];
    }
    size_t eventCount() const { return eventCount_; }
    // Place of the first bar marker after eventIndex; eventCount() when none.
    size_t barAfter(size_t eventIndex) const;

private:
    std::array<std::vector<IndexedNote>, 16> notes_;
    std::vector<size_t> bars_;
    size_t eventCount_ = 0;
};

}  // namespace vl
