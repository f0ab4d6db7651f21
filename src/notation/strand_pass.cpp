#include "notation/strand_pass.h"

namespace vl {

namespace {

constexpr std::string_view kStrandItemWord = "Strand";
constexpr int16_t kLastStrandNumber = 32767;

bool runsOnTrack(const TrackSet& tracks, const Strand& s) {
    return s.trackIndex < tracks.size() && s.number <= static_cast<uint32_t>(kLastStrandNumber);
}

// For each strand record: whether no later record runs on the same track.
std::vector<bool> lastRunOfTrack(const TrackSet& tracks, const std::vector<Strand>& strands) {
    std::vector<bool> last(strands.size(), false);
    std::vector<bool> seen(tracks.size(), false);
    for (size_t i = strands.size(); i-- > 0;) {
        const Strand& s = strands[i];
        if (!runsOnTrack(tracks, s) || seen[s.trackIndex]) continue;
        seen[s.trackIndex] = true;
        last[i] = true;
    }
    return last;
}

}  // namespace

StepResult runStrandPass(TrackSet& tracks, const std::vector<Strand>& strands,
                         std::string_view caption, ProgressReporter& progress,
                         const StrandPass& pass) {
    progress.beginStep(caption, static_cast<int32_t>(strands.size()), kStrandItemWord);
    const std::vector<bool> last = lastRunOfTrack(tracks, strands);
    size_t processed = 0;
    for (size_t i = 0; i < strands.size(); ++i) {
        if (progress.item(static_cast<uint32_t>(i)) != 0)
            return StepResult::cancelledAfter(processed);
        const Strand& s = strands[i];
        if (!runsOnTrack(tracks, s)) continue;
        ++processed;
        const int16_t number = static_cast<int16_t>(s.number);
        if (pass(tracks.tracks[s.trackIndex], number, last[i]).cancelled)
            return StepResult::cancelledAfter(processed);
    }
    return StepResult::done(processed);
}

}  // namespace vl
