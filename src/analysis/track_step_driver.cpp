#include "analysis/track_step_driver.h"

#include <algorithm>

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
    : progress_(progress), count_(eventCount) {
    progress_.setDetailCount(static_cast<uint32_t>(eventCount));
}

bool EventProgress::report(size_t eventIndex) {
    quietFrom_ = eventIndex;
    quietLength_ = nextPercentIndex(eventIndex) - eventIndex;
    return progress_.detailItem(static_cast<uint32_t>(eventIndex)) != 0;
}

size_t EventProgress::nextPercentIndex(size_t i) const {
    // The reporter counts in 32 bits.
    const uint64_t count = static_cast<uint32_t>(count_);
    if (count < 2 || uint64_t{i} + 1 >= count) return SIZE_MAX;
    const uint64_t percent = (uint64_t{i} + 1) * 100 / count;
    // Smallest j with (j + 1) x 100 >= (percent + 1) x count.
    const uint64_t j = ((percent + 1) * count + 99) / 100 - 1;
    return static_cast<size_t>(std::max<uint64_t>(j, uint64_t{i} + 1));
}

EventProgress::~EventProgress() { progress_.setDetailCount(0); }

}  // namespace vl
