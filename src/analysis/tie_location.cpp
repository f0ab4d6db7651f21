#include "analysis/tie_location.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

#include "analysis/duration_assessment.h"
#include "analysis/track_operations.h"
#include "analysis/track_step_driver.h"
#include "markers/bar_groups.h"
#include "markers/marker_events.h"

namespace vl {

namespace {

bool isRealNoteOn(const MidiMessage& m) { return m.isChannelMessage() && m.isNoteOn(); }

// Cost of the re-measuring. Each split note is measured by a walk over the
// events between its start and its end: the first piece when its proprietary
// note-off goes in (from its note-on to the bar line), the continuation when
// its proprietary note-on goes in (from the bar line to its note-off, or to the
// next bar marker, where the next split measures it anyway). A split note
// restarts at every bar line, so no walk leaves the bar it starts in, and each
// event is walked over once for every note that sounds across the bar lines
// on either side of it. In real music that is a few notes per bar line, so the
// step stays linear with a small factor. The worst case is every key on every
// channel held (2048 notes) through bars full of other events: then each event
// is walked over up to 2 x 2048 times, still linear but with that factor.
class TieWalk {
public:
    TieWalk(MidiTrack& track, size_t maxTieEvents)
        : track_(track), maxTieEvents_(maxTieEvents) {}

    size_t barMarkers() const { return barMarkers_; }

    // Visits p and returns the event to visit next.
    EventPos visit(EventPos p) {
        const MidiMessage& m = p->message;
        if (isNoteCombined(m)) {
            followNote(*p);
            return std::next(p);
        }
        if (!m.isBarMarker()) return std::next(p);
        ++barMarkers_;
        if (!sounding_.anySounding()) return std::next(p);
        if (!roomForSplit()) {
            stopSplitting();
            return std::next(p);
        }
        return splitAt(p);
    }

    // When the walk ends (early or not): measures the continuations that were
    // left for a bar line the walk has not reached.
    void finish() { measurePendingContinuations(); }

private:
    void followNote(const MidiEvent& e) {
        const int key = keyOf(e.message);
        const int channel = channelOf(e.message);
        if (isNoteOnCombined(e.message))
            sounding_.markSounding(key, channel, e.strand);
        else
            sounding_.markSilent(key, channel);
    }

    bool roomForSplit() const {
        if (exhausted_) return false;
        const size_t needed = 2 * sounding_.count();
        return needed <= maxTieEvents_ - inserted_;
    }

    // Past the limit no more notes are split; the pieces already placed keep
    // their measurements.
    void stopSplitting() {
        measurePendingContinuations();
        exhausted_ = true;
    }

    // Proprietary note-offs before the bar marker, proprietary note-ons after
    // the events at the bar line that are no real note-on (signatures and the
    // like). Returns the event the walk goes on with: the one the note-ons went
    // in front of, or the end of the track.
    EventPos splitAt(EventPos bar) {
        EventList offs = buildBarGroup(sounding_, 0, barpart::NoteOffs);
        EventList ons = buildBarGroup(sounding_, 0, barpart::NoteOns);
        endNotesAtBarLine(bar, offs);
        const EventPos resume = firstRealNoteOnOrLaterEvent(bar);
        if (resume != track_.end()) continueNotesBefore(resume, ons);
        return resume;
    }

    // The group takes over the bar marker's delta; the marker follows at delta 0.
    // Every note the group ends is measured again, now ending at the bar line.
    void endNotesAtBarLine(EventPos bar, EventList& offs) {
        const size_t count = offs.size();
        const EventPos first = track_.insertRunBefore(bar, 0, offs);
        if (first == track_.end()) return;
        inserted_ += count;
        // Every continuation waiting for this bar line is among these notes and
        // is measured below. (Only a second note-on of a key already sounding
        // could hide one; illegal-event elimination has removed those.)
        pending_.clear();
        for (EventPos p = first; p != bar; ++p) reassessEvent(track_, p);
    }

    EventPos firstRealNoteOnOrLaterEvent(EventPos bar) const {
        EventPos p = std::next(bar);
        while (p != track_.end() && p->time == 0 && !isRealNoteOn(p->message)) ++p;
        return p;
    }

    // The group goes in at the bar line's tick; resume keeps its own delta.
    void continueNotesBefore(EventPos resume, EventList& ons) {
        const size_t count = ons.size();
        const EventPos first = track_.insertRunBefore(resume, resume->time, ons);
        if (first == track_.end()) return;
        inserted_ += count;
        for (EventPos p = first; p != resume; ++p) measureContinuation(p);
    }

    // A continuation that ends before the next bar marker is measured now. One
    // that sounds on across it is measured when it is split there; measuring
    // it now would walk to its far note-off at every bar line it crosses.
    void measureContinuation(EventPos on) {
        const uint8_t channel = static_cast<uint8_t>(channelOf(on->message));
        const uint8_t key = static_cast<uint8_t>(keyOf(on->message));
        for (EventPos p = std::next(on); p != track_.end(); ++p) {
            if (isNoteOffOf(*p, channel, key)) {
                assessNote(track_, on);
                return;
            }
            if (p->message.isBarMarker()) {
                pending_.push_back(on);
                return;
            }
        }
        // No note-off at all: there is nothing to measure it to.
    }

    void measurePendingContinuations() {
        for (EventPos on : pending_) assessNote(track_, on);
        pending_.clear();
    }

    MidiTrack& track_;
    SoundingNotes sounding_;
    std::vector<EventPos> pending_;
    size_t maxTieEvents_;
    size_t inserted_ = 0;
    size_t barMarkers_ = 0;
    bool exhausted_ = false;
};

}  // namespace

size_t tieEventBudget(size_t realNoteOns) {
    return kTieEventsPerNote * realNoteOns + kTieEventAllowance;
}

StepResult markTiesInTrack(MidiTrack& track, ProgressReporter& progress, size_t maxTieEvents) {
    // The event list is linked, so the inserted pieces need no room reserved.
    TieWalk walk(track, maxTieEvents);
    EventProgress events(progress, track.size());
    // Only events that were in the track before the walk are visited, so the
    // index never passes the count reported.
    size_t index = 0;
    for (EventPos p = track.begin(); p != track.end(); ++index) {
        if (events.cancelledAt(index)) break;
        p = walk.visit(p);
    }
    walk.finish();
    return StepResult::of(walk.barMarkers(), events.cancelled());
}

StepResult markTies(TrackSet& tracks, ProgressReporter& progress, std::string_view caption) {
    size_t setBudget = kMaxTieEventsPerSet;
    return runTrackStep(progress, tracks, caption, [&](MidiTrack& track, size_t) {
        const size_t before = track.size();
        const size_t limit =
            std::min({kMaxTieEventsPerTrack, setBudget, tieEventBudget(countRealNoteOns(track))});
        const StepResult walked = markTiesInTrack(track, progress, limit);
        setBudget -= track.size() - before;
        return walked;
    });
}

}  // namespace vl
