#pragma once
// Runs one per-track operation over every track of a track set under one
// progress step: the step caption on the step line and "Track n of N" on the
// detail line, with a cancel test before each track.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "midi/track_set.h"
#include "platform/progress_reporter.h"
#include "platform/step_result.h"

namespace vl {

// Operation on one track; a cancelled result stops the step.
using TrackOperation = std::function<StepResult(MidiTrack& track, size_t index)>;

// Returns the sum of the tracks' counts; cancelled when the host cancelled at
// a track or within one (the step stops there), or when its latest reply was
// a cancel.
StepResult runTrackStep(ProgressReporter& progress, TrackSet& tracks, std::string_view caption,
                        const TrackOperation& operation);

// Progress over the events of one track: every event index asked about is
// reported as the detail item, and a non-zero reply stops the track's work
// at that event. When no host is listening (no window or no message
// handler) nothing is sent and the check costs one test.
class EventProgress {
public:
    EventProgress(ProgressReporter& progress, size_t eventCount);
    ~EventProgress();
    EventProgress(const EventProgress&) = delete;
    EventProgress& operator=(const EventProgress&) = delete;
    // True when the host answered the report of eventIndex with a cancel.
    bool cancelledAt(size_t eventIndex) {
        if (!hostListens_) return false;
        if (progress_.detailItem(static_cast<uint32_t>(eventIndex)) == 0) return false;
        cancelled_ = true;
        return true;
    }
    // True once the host has answered any report of this progress with a cancel.
    bool cancelled() const { return cancelled_; }

private:
    ProgressReporter& progress_;
    bool hostListens_;
    bool cancelled_ = false;
};

// Progress over a walk that visits the events of a track one by one, from
// the first: each call stands for the next event. The index stays within the
// count, for walks whose position is only roughly known once events have
// been inserted.
class WalkProgress {
public:
    WalkProgress(ProgressReporter& progress, size_t count)
        : events_(progress, count), count_(count) {}
    // Reports the current index, then moves on by one.
    bool cancelledAtNext() {
        const bool cancelled = events_.cancelledAt(index_);
        if (index_ + 1 < count_) ++index_;
        return cancelled;
    }

private:
    EventProgress events_;
    size_t count_;
    size_t index_ = 0;
};

}  // namespace vl
