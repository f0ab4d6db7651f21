#include "analysis/track_step_driver.h"

namespace vl {

inline constexpr std::string_view kTrackItemWord = "Track";

bool runTrackStep(ProgressReporter& progress, TrackSet& tracks, std::string_view caption,
                  const TrackOperation& operation) {
    progress.beginStep(caption, static_cast<int32_t>(tracks.size()), kTrackItemWord);
    for (size_t i = 0; i < tracks.size(); ++i) {
        if (progress.item(static_cast<uint32_t>(i)) != 0) return false;
        if (!operation(tracks.tracks[i], i)) return false;
    }
    return progress.cancelled() == 0;
}

EventProgress::EventProgress(ProgressReporter& progress, size_t eventCount)
    : progress_(progress), hostListens_(progress.hostListens()) {
    progress_.setDetailCount(static_cast<uint32_t>(eventCount));
}

EventProgress::~EventProgress() { progress_.setDetailCount(0); }

}  // namespace vl
