#pragma once
// Strand assignment: every track, and within it every MIDI channel it uses,
// is peeled into strands (single lines of notation, chords included) one at a
// time. Each strand is one greedy walk through the channel's notes that takes
// a chain of notes, each starting once the previous one has ended, together
// with the notes that sound as a chord with them. The note-ons of a strand get
// its number in their strand index and flag 0x4000; every note of a chord
// after the first one in list order also gets flag 0x80. The session's strand
// list gets one record per strand.
//
// Cost: the spans of all notes come from one pass over the track
// (StrandNoteIndex), and a walk visits only the notes of its channel that are
// still without a strand, each at most three times, so one walk costs at most
// a few times the number of those notes. A walk leaves a note behind only when
// it starts while a note of the walk's chain still sounds, so the number of
// walks on a channel follows the channel's polyphony: a handful in real music,
// 65 on the busiest channel of a file with 237 notes sounding at once. Tens of
// thousands of notes sounding at once would need as many walks over them,
// which is quadratic; each channel therefore has a work allowance in
// proportion to its number of notes (real files use under 40 visits per
// note), and once a channel has used it up no further strand is started there
// (its remaining notes keep strand -1).

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "midi/track_set.h"
#include "notation/strand.h"
#include "notation/strand_note_index.h"
#include "platform/progress_reporter.h"
#include "platform/step_result.h"
#include "settings/resolution_settings.h"

namespace vl {

// Detail text appended while a strand is built: channel and strand counted from 1.
inline constexpr const char* kStrandDetailPattern = " - MIDI channel %d - Strand %d";
// Strand indexes in events are 16-bit signed, so no strand is numbered above this.
inline constexpr uint32_t kMaxStrandNumber = 32767;
// Work allowed on one channel: this many note visits per note of the channel,
// plus kStrandWorkAllowance. Real music stays far below it.
inline constexpr size_t kStrandWorkPerNote = 1024;
inline constexpr size_t kStrandWorkAllowance = 1u << 20;

// Whether the candidate sounds together with the best note: neither may end
// after the other's next onset, and their ends and starts must lie within the
// chord tolerances of the longer one. The tolerance products are signed
// 32-bit values (wrapping), so two notes of length 0 are never chord mates.
bool isChordMate(const NoteSpan& best, const NoteSpan& candidate,
                 const ResolutionSettings& settings);

// The strands of one MIDI channel of one track, built one walk at a time.
class ChannelStrandBuilder {
public:
    ChannelStrandBuilder(StrandNoteIndex& index, uint8_t channel,
                         const ResolutionSettings& settings);

    // One walk through the track giving notes to strand `number`; true when
    // at least one note was given. Reports the place of each note it starts
    // from as a detail item over the track's events; a cancel ends the walk
    // (the strand keeps what it got). False at once for a number above
    // kMaxStrandNumber.
    bool buildStrand(uint32_t number, ProgressReporter& progress);
    // True once the channel has used up its work allowance.
    bool exhausted() const { return work_ > workLimit_; }
    // Note visits so far (each walk's starting notes, candidates and chord tests).
    size_t work() const { return work_; }

private:
    // Members 0..n-1 still in the set, found in order (a union-find over
    // "next member at or after i").
    class RemainingSet {
    public:
        explicit RemainingSet(size_t n);
        size_t firstFrom(size_t i);
        void remove(size_t i) { next_[i] = i + 1; }

    private:
        std::vector<size_t> next_;
    };

    // Gives the note at origin, or a better first note that overlaps it, to
    // the strand with its chord mates; returns the track place where the
    // walk stands afterwards (the note-off of the note given).
    size_t placeNote(size_t origin, int16_t number);
    // Among the later real notes that start before the current best one ends,
    // the one whose next onset comes first (on a tie, whose end comes first).
    size_t betterFirstNote(size_t origin);
    void giveChordMates(size_t origin, size_t best, int16_t number);
    void give(size_t note, int16_t number, bool chordMember);
    // The first of the channel's notes that stands after the track place.
    size_t firstNoteAfter(size_t eventIndex) const;

    StrandNoteIndex& index_;
    std::vector<IndexedNote>& notes_;
    const ResolutionSettings& settings_;
    RemainingSet unplaced_;      // every note-on without a strand
    RemainingSet unplacedReal_;  // real note-ons without a strand
    size_t work_ = 0;
    size_t workLimit_ = 0;
};

// Empties the strand list, then assigns strands to every track under one
// progress step (this caption, item word "Track"); the count is the number of
// strands. A cancel at a track stops the step (a cancel within a walk ends
// only that walk); the strands made before it stay.
StepResult assignStrands(TrackSet& tracks, std::vector<Strand>& strands,
                         ProgressReporter& progress, std::string_view caption,
                         const ResolutionSettings& settings);

}  // namespace vl
