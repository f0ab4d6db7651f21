#pragma once
// Runs one per-track operation over every track of a track set under one
// progress step: the step caption on the step line and "Track n of N" on the
// detail line, with a cancel test before each track.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "midi/track_set.h"
#include "session/progress_reporter.h"

namespace vl {

// Operation on one track; returns false to stop the step (a failed track).
using TrackOperation = std::function<bool(MidiTrack& track, size_t index)>;

// Returns true when every track was processed: false when the host cancelled
// or an operation stopped the step.
bool runTrackStep(ProgressReporter& progress, TrackSet& tracks, std::string_view caption,
                  const TrackOperation& operation);

// Progress over the events of one track: reports an event index as the
// detail item when its percentage differs from the last one reported (the
// first index asked about is always reported), and answers whether the host
// asked to stop. Between reports nothing is sent, so a cancel takes effect at
// the next reported event; a walk over a long track sends about a hundred
// messages instead of one per event.
class EventProgress {
public:
    EventProgress(ProgressReporter& progress, size_t eventCount);
    ~EventProgress();
    EventProgress(const EventProgress&) = delete;
    EventProgress& operator=(const EventProgress&) = delete;
    // True when eventIndex was reported and the host asked to stop.
    bool cancelledAt(size_t eventIndex) {
        // Quiet while the index stays within [last reported, next percentage).
        if (eventIndex - quietFrom_ < quietLength_) return false;
        return report(eventIndex);
    }

private:
    bool report(size_t eventIndex);
    // The first index after i whose percentage is larger than i's; SIZE_MAX
    // when there is none.
    size_t nextPercentIndex(size_t i) const;

    ProgressReporter& progress_;
    size_t count_;
    size_t quietFrom_ = 0;
    size_t quietLength_ = 0;  // nothing reported yet: the first index is reported
};

// Progress over a walk that visits the events of a track one by one, from
// the first: each call stands for the next event. The index stays within the
// count, for walks whose position is only roughly known once events have
// been inserted.
class WalkProgress {
public:
    WalkProgress(ProgressReporter& progress, size_t count)
        : events_(progress, count), count_(count) {}
    // Reports the current index when its percentage is new, then moves on by one.
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
