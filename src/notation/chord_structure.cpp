#include "notation/chord_structure.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>

#include "analysis/duration_assessment.h"
#include "analysis/track_operations.h"
#include "markers/bar_groups.h"
#include "markers/marker_events.h"

namespace vl {

namespace {

constexpr std::string_view kStrandItemWord = "Strand";
constexpr int32_t kNoStrand = -1;

// Events that the alignments of one strand walk may visit: this many per event
// of the track, plus a fixed allowance. Real music uses about two per event
// (windows of successive leaders do not overlap); overlapping windows, which
// only hostile data builds, stop being aligned once it is used up.
constexpr size_t kAlignWorkPerEvent = 8;
constexpr size_t kAlignWorkAllowance = size_t{1} << 16;

bool isStrandNoteOn(const MidiEvent& e, int channel, int16_t strand) {
    return e.strand == strand && isNoteOnCombined(e) && channelOf(e) == channel;
}

// What one alignment did to the track.
struct AlignResult {
    bool moved = false;    // some note-on changed its time or was removed
    bool removed = false;  // a note-on moved later by its whole length was deleted
};

// The chord of the leader under `lead`. Walks stay inside the leader's window
// [start, start + duration2); `stopBefore` is the event before the leader (or
// the end of the list when the leader is the first event), which no move
// disturbs.
class ChordAligner {
public:
    ChordAligner(const TrackCursor& lead, size_t& work)
        : work_(work),
          lead_(lead),
          stopBefore_(lead.hasPrevious() ? std::prev(lead.position()) : lead.track().end()),
          strand_(lead.event().strand),
          channel_(channelOf(lead.event())),
          end_(lead.time() + lead.event().duration2) {}

    AlignResult run() {
        MidiEvent& leader = lead_.event();
        leader.clearFlags(flag::ChordMember);
        const std::optional<TrackCursor> reference = markMembers();
        if (!reference) return result_;
        const int64_t onset = reference->time();
        const uint16_t marks = reference->event().flags & flag::RhythmMarks;
        if (reference->position() != lead_.position()) pullLaterBackTo(*reference, onset, marks);
        pullEarlierOnTo(*reference, onset, marks);
        return result_;
    }

private:
    bool isMember(const MidiEvent& e) const { return isStrandNoteOn(e, channel_, strand_); }

    // Flags every note-on of the strand in the window as a member. Returns the
    // reference note: the last triplet member when the leader is plain and
    // has one, else the leader; nothing when the chord has no member.
    std::optional<TrackCursor> markMembers() {
        const bool leaderIsTriplet = lead_.event().testFlags(flag::Triplet);
        TrackCursor reference = lead_;
        bool anyMember = false;
        TrackCursor walk = lead_;
        for (walk.advance(); !walk.atEnd() && walk.time() < end_; walk.advance()) {
            ++work_;
            MidiEvent& e = walk.event();
            if (!isMember(e)) continue;
            e.orFlags(flag::ChordMember);
            anyMember = true;
            if (!leaderIsTriplet && e.testFlags(flag::Triplet)) reference = walk;
        }
        if (!anyMember) return std::nullopt;
        return reference;
    }

    // The notes from the reference back to the leader take the reference's
    // marks and move later onto its onset.
    void pullLaterBackTo(const TrackCursor& reference, int64_t onset, uint16_t marks) {
        TrackCursor walk = reference;
        while (walk.hasPrevious()) {
            walk.retreat();
            if (walk.position() == stopBefore_) break;
            ++work_;
            MidiEvent& e = walk.event();
            if (!isMember(e)) continue;
            e.setRhythmMarks(marks);
            if (walk.time() >= onset) continue;
            const size_t passed = shiftEvent(walk, onset - walk.time());
            noteMove(walk);
            // Back over the events the note passed, to where it stood.
            for (size_t i = 0; i < passed; ++i) walk.retreat();
        }
    }

    // The notes after the reference take its marks and move earlier onto its
    // onset. An earlier move keeps the note-on's place in the list.
    void pullEarlierOnTo(const TrackCursor& reference, int64_t onset, uint16_t marks) {
        TrackCursor walk = reference;
        for (walk.advance(); !walk.atEnd() && walk.time() < end_; walk.advance()) {
            ++work_;
            MidiEvent& e = walk.event();
            if (!isMember(e)) continue;
            e.setRhythmMarks(marks);
            if (walk.time() <= onset) continue;
            shiftEvent(walk, onset - walk.time());
            noteMove(walk);
        }
    }

    void noteMove(const TrackCursor& at) {
        result_.moved = true;
        if (at.event().message.isDeletedMarker()) result_.removed = true;
    }

    size_t& work_;
    TrackCursor lead_;
    EventPos stopBefore_;
    int16_t strand_;
    int channel_;
    int64_t end_;
    AlignResult result_;
};

// A cursor on the event after `before`, or on the first event when there is
// no event before.
TrackCursor cursorAfter(MidiTrack& track, const std::optional<TrackCursor>& before) {
    if (!before) return TrackCursor(track);
    TrackCursor c = *before;
    c.advance();
    return c;
}

// The strand walk of confirmStrandChords.
class StrandChordWalk {
public:
    StrandChordWalk(MidiTrack& track, uint8_t channel, int16_t strand, bool lead)
        : track_(track),
          channel_(channel),
          strand_(strand),
          lead_(lead),
          workLimit_(kAlignWorkPerEvent * track.size() + kAlignWorkAllowance) {}

    void run() {
        TrackCursor cursor(track_);
        while (!cursor.atEnd()) {
            MidiEvent& e = cursor.event();
            if (isStrandNoteOn(e, channel_, strand_)) {
                if (!takeNoteOn(cursor)) continue;  // cursor was put back before the chord
            } else if (isNoteOffCombined(e)) {
                sounding_.markSilent(keyOf(e), channel_);
            } else if (e.message.isBarMarker() && barChanged_) {
                reassessBar(track_, cursor.position(), true);
                barChanged_ = false;
            }
            cursor.advance();
        }
        if (barChanged_) reassessBar(track_, track_.end(), true);
        if (removed_) purgeDeleted(track_);
    }

private:
    // Returns false when the chord was aligned and the cursor now stands on
    // the event after the one before the leader: the walk takes the events
    // from there again, and the first note-on of the strand it meets (the
    // chord's leading note now) is taken as the leader without aligning again.
    bool takeNoteOn(TrackCursor& cursor) {
        MidiEvent& e = cursor.event();
        const bool anySounding = sounding_.anySounding();
        if (resumingLeader_) {
            resumingLeader_ = false;
            e.clearFlags(flag::ChordMember);
            if (movedPending_) barChanged_ = true;
            movedPending_ = false;
        } else if (lead_ && !anySounding && work_ <= workLimit_) {
            std::optional<TrackCursor> before;
            if (cursor.hasPrevious()) {
                before = cursor;
                before->retreat();
            }
            const AlignResult result = ChordAligner(cursor, work_).run();
            removed_ = removed_ || result.removed;
            movedPending_ = result.moved;
            resumingLeader_ = true;
            cursor = cursorAfter(track_, before);
            return false;
        } else if (anySounding) {
            e.orFlags(flag::ChordMember);
        } else {
            e.clearFlags(flag::ChordMember);
        }
        sounding_.markSounding(keyOf(e), channel_, strand_);
        return true;
    }

    MidiTrack& track_;
    uint8_t channel_;
    int16_t strand_;
    bool lead_;
    SoundingNotes sounding_;
    bool resumingLeader_ = false;
    bool movedPending_ = false;  // the chord being taken up again had moves
    bool barChanged_ = false;    // the bar under the walk needs its durations again
    bool removed_ = false;       // deleted-event markers are left to purge
    size_t work_ = 0;            // events visited by the alignments so far
    size_t workLimit_;
};

}  // namespace

bool alignChord(TrackCursor& cursor) {
    if (cursor.atEnd() || !isNoteOnCombined(cursor.event())) return false;
    MidiTrack& track = cursor.track();
    const MidiEvent& leader = cursor.event();
    const int channel = channelOf(leader);
    const int16_t strand = leader.strand;
    std::optional<TrackCursor> before;
    if (cursor.hasPrevious()) {
        before = cursor;
        before->retreat();
    }
    size_t work = 0;
    const AlignResult result = ChordAligner(cursor, work).run();
    cursor = cursorAfter(track, before);
    while (!cursor.atEnd() && !isStrandNoteOn(cursor.event(), channel, strand)) cursor.advance();
    return result.moved;
}

int32_t confirmStrandChords(MidiTrack& track, uint8_t channel, int32_t strandNumber, bool lead) {
    if (strandNumber == kNoStrand || !track.usesChannel(channel)) return kNoStrand;
    // Strand indexes in events are 16 bits: a larger number has no note to walk.
    if (strandNumber < 0 || strandNumber > INT16_MAX) return strandNumber;
    StrandChordWalk(track, channel, static_cast<int16_t>(strandNumber), lead).run();
    return strandNumber;
}

StepResult confirmChords(TrackSet& tracks, const std::vector<Strand>& strands,
                         ProgressReporter& progress) {
    const int32_t count = strands.size() > INT32_MAX ? INT32_MAX
                                                      : static_cast<int32_t>(strands.size());
    progress.beginStep(kConfirmChordsCaption, count, kStrandItemWord);
    size_t walked = 0;
    bool cancelled = false;
    for (const Strand& strand : strands) {
        if (strand.trackIndex >= tracks.size()) continue;
        cancelled = progress.item(strand.number) != 0;
        if (cancelled) break;
        const int32_t number =
            strand.number > INT32_MAX ? INT32_MAX : static_cast<int32_t>(strand.number);
        confirmStrandChords(tracks.tracks[strand.trackIndex], strand.channel, number, true);
        ++walked;
    }
    progress.plainDetailText(" ");
    return StepResult::of(walked, cancelled);
}

}  // namespace vl
