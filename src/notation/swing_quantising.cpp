#include "notation/swing_quantising.h"

#include <cstddef>
#include <cstdint>

#include "analysis/duration_assessment.h"
#include "analysis/track_operations.h"
#include "analysis/track_step_driver.h"
#include "midi/track_cursor.h"
#include "notation/strand_pass.h"

namespace vl {

namespace {

// Pulls the strand's plain note-ons back to the semiquaver at or before them,
// and assesses the durations of each bar again once the walk has passed it.
//
// Moves stay inside their bar and a bar's durations are measured from the
// events of that bar, so when several strands of one track are walked in a
// row, the walk of the last of them writes every bar's final durations: it
// assesses each bar after all moves in it. The earlier walks may then leave
// the bars they pass alone (reassessEveryBar false); their assessments would
// all be overwritten, and assessing a bar costs a walk over its events per
// strand. The bar after the last bar marker has no marker to close it: a
// walk only says whether it moved a note there, and that bar is assessed
// once after all walks (see movedInLastBar).
class SwingWalk {
public:
    SwingWalk(MidiTrack& track, int16_t strand, bool reassessEveryBar)
        : track_(track), strand_(strand), reassessEveryBar_(reassessEveryBar) {}

    // After a completed run: whether it moved a note after the last bar marker.
    bool movedInLastBar() const { return movedInBar_; }

    // The count is the note-ons moved.
    StepResult run(ProgressReporter& progress) {
        const int64_t q = track_.division / 4;
        if (q <= 0 || track_.empty()) return StepResult::done();
        WalkProgress events(progress, track_.size());
        TrackCursor c(track_);
        for (; !c.atEnd(); c.advance()) {
            if (events.cancelledAtNext()) return StepResult::cancelledAfter(moves_);
            MidiEvent& e = c.event();
            if (!belongsToStrand(e, strand_)) continue;
            if (e.message.isBarMarker()) {
                lastSlot_ = -1;
                movedInBar_ = false;
                if (reassessEveryBar_) reassessBar(track_, c.position(), true);
            } else if (isStrandNoteOn(e, strand_)) {
                placeNoteOn(c, q);
            }
        }
        return StepResult::done(moves_);
    }

private:
    void placeNoteOn(TrackCursor& c, int64_t q) {
        const MidiEvent& e = c.event();
        const int64_t p = c.timeSinceBar();
        const int64_t slot = p / q;
        if (e.testFlags(flag::Triplet)) {
            lastSlot_ = slot;
            return;
        }
        if (slot == lastSlot_ && !e.testFlags(flag::ChordMember)) return;
        const int64_t late = p - slot * q;
        // An earlier move keeps the order of events, so the walk goes on from here.
        if (late > 0) {
            shiftEvent(c, -late);
            movedInBar_ = true;
            ++moves_;
        }
        lastSlot_ = slot;
    }

    MidiTrack& track_;
    int16_t strand_;
    bool reassessEveryBar_;
    int64_t lastSlot_ = -1;
    bool movedInBar_ = false;
    size_t moves_ = 0;
};

}  // namespace

StepResult analyseStrandSwing(MidiTrack& track, int16_t strand, ProgressReporter& progress) {
    SwingWalk walk(track, strand, true);
    const StepResult moved = walk.run(progress);
    if (!moved.cancelled && walk.movedInLastBar()) reassessBar(track, track.end(), true);
    return moved;
}

StepResult analyseSwing(TrackSet& tracks, const std::vector<Strand>& strands,
                        const QuantisationSettings&, ProgressReporter& progress) {
    // Per track: whether a walk moved a note after its last bar marker.
    std::vector<char> lastBarMoved(tracks.size(), 0);
    const StepResult processed = runStrandPass(
        tracks, strands, kAnalyseSwingCaption, progress,
        [&](MidiTrack& track, int16_t strand, bool lastOfTrack) {
            SwingWalk walk(track, strand, lastOfTrack);
            const StepResult moved = walk.run(progress);
            if (!moved.cancelled && walk.movedInLastBar())
                lastBarMoved[static_cast<size_t>(&track - tracks.tracks.data())] = 1;
            return moved;
        });
    for (size_t t = 0; t < tracks.size(); ++t)
        if (lastBarMoved[t] != 0) reassessBar(tracks.tracks[t], tracks.tracks[t].end(), true);
    return processed;
}

}  // namespace vl
