#include "analysis/track_step_driver.h"

namespace vl {

inline constexpr std::string_view kTrackItemWord = "Track";

StepResult runTrackStep(ProgressReporter& progress, TrackSet& tracks, std::string_view caption,
                        const TrackOperation& operation) {
    progress.beginStep(caption, static_cast<int32_t>(tracks.size()), kTrackItemWord);
    StepResult total;
    for (size_t i = 0; i < tracks.size(); ++i) {
        total.cancelled = progress.item(static_cast<uint32_t>(i)) != 0;
        if (total.cancelled) return total;
        total += operation(tracks.tracks[i], i);
        if (total.cancelled) return total;
    }
    total.cancelled = progress.cancelled() != 0;
    return total;
}

EventProgress::EventProgress(ProgressReporter& progress, size_t eventCount)
    : progress_(progress), hostListens_(progress.hostListens()) {
    progress_.setDetailCount(static_cast<uint32_t>(eventCount));
}

EventProgress::~EventProgress() { progress_.setDetailCount(0); }

}  // namespace vl
