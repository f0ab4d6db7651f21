#pragma once
// Runs one per-track operation over every track of a track set under one
// progress step: the step caption on the step line and "Track n of N" on the
// detail line, with a cancel test before each track.

#include <cstddef>
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

// Progress over the events of one track: reports each event index as the
// detail item and answers whether the host asked to stop.
class EventProgress {
public:
    EventProgress(ProgressReporter& progress, size_t eventCount);
    ~EventProgress();
    EventProgress(const EventProgress&) = delete;
    EventProgress& operator=(const EventProgress&) = delete;
    // True when the host asked to stop.
    bool cancelledAt(size_t eventIndex) { return progress_.detailItem(static_cast<uint32_t>(eventIndex)) != 0; }

private:
    ProgressReporter& progress_;
};

}  // namespace vl
