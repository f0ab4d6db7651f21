#include "session/track_analysis.h"

#include <algorithm>
#include <climits>

#include "analysis/bar_line_location.h"
#include "analysis/duration_assessment.h"
#include "analysis/first_quantising.h"
#include "analysis/illegal_events.h"
#include "analysis/swing_detection.h"
#include "analysis/tie_location.h"
#include "analysis/track_invariants.h"
#include "analysis/track_repairs.h"
#include "analysis/track_set_operations.h"
#include "analysis/track_step_driver.h"
#include "notation/chord_structure.h"
#include "notation/strand_assignment.h"
#include "notation/swing_quantising.h"
#include "notation/triplet_groups.h"

namespace vl {

TrackAnalysis::TrackAnalysis(ProgressReporter& progress, const ResolutionSettings& settings,
                             uint32_t live)
    : progress_(progress), settings_(settings), live_(live) {
    tracks_.liveFlag = live;
}

void TrackAnalysis::clearTracks() {
    tracks_.tracks.clear();
    header_.trackCount = 0;
    state_ = 0;
}

StepResult TrackAnalysis::transcribe() {
    vl::computeChannelMasks(tracks_);
    buildQuantisationSettings();
    eliminateIllegalEvents();
    // From here on every step keeps the tracks well formed.
    checkAfter("illegal-event elimination");
    removeInitialDelay();
    checkAfter("initial-delay removal");
    equaliseTrackLengths();
    checkAfter("track-length equalising");
    removeDuplicateTracks();
    checkAfter("duplicate-track removal");
    insertMetaMarkers();
    checkAfter("meta-marker insertion");
    locateBarLines(false);
    // Bar markers and bar groups went in from nodes at the end of each
    // track's pool; first quantising walks every track several times.
    compactTracks();
    if (stopAfter("bar lines")) return StepResult::cancelledAfter(0);
    firstQuantising();
    if (stopAfter("first quantising")) return StepResult::cancelledAfter(0);
    durationsThenStrands(caption::AssessDurations, caption::AssignStrands);
    if (stopAfter("durations and strands")) return StepResult::cancelledAfter(0);
    locateTies();
    // Bar groups and tie events have been linked in all over each track; the
    // strand passes that follow walk a track once per strand.
    compactTracks();
    if (stopAfter("ties")) return StepResult::cancelledAfter(0);
    const StepResult strands = analyseTripletsAndSwing();
    if (stopAfter("triplets and swing")) return StepResult::cancelledAfter(0);
    confirmChordStructure();
    if (stopAfter("chord structure")) return StepResult::cancelledAfter(0);
    return StepResult::done(static_cast<size_t>(strands.count));
}

void TrackAnalysis::checkAfter(std::string_view step) const { checkTrackInvariants(tracks_, step); }

bool TrackAnalysis::stopAfter(std::string_view step) {
    checkAfter(step);
    return cancelled();
}

void TrackAnalysis::compactTracks() {
    for (MidiTrack& track : tracks_.tracks) track.events.compact();
}

void TrackAnalysis::ensureQuantisationSettings() {
    if (!quantisation_.isBuilt()) buildQuantisationSettings();
}

void TrackAnalysis::buildQuantisationSettings() {
    const ResolutionSettings& settings = resolutionSettings();
    const uint32_t options = settings.triplets != 0 ? kQuantiseTriplets : 0;
    quantisation_.build(tracks_.division, settings.quantisationBeat, live_, options);
    const uint8_t swing = settings.swing != 0 ? detectSwing(tracks_) : 0;
    tracks_.swingDetected = swing;
    quantisation_.setSwingDetected(swing);
}

StepResult TrackAnalysis::eliminateIllegalEvents() {
    // A cancel within a track ends that track's walk only; the next track
    // still gets its turn unless the host cancels between tracks too.
    return runTrackStep(progress(), tracks_, caption::EliminateIllegal, [&](MidiTrack& track, size_t) {
        return StepResult::done(
            static_cast<size_t>(vl::eliminateIllegalEvents(track, progress()).count));
    });
}

int32_t TrackAnalysis::removeInitialDelay() {
    if (state_ != 0) return 0;
    const int64_t delay = computeInitialDelay(tracks_);
    vl::removeInitialDelay(tracks_, delay);
    state_ |= state::DelayRemoved;
    return static_cast<int32_t>(std::clamp<int64_t>(delay, INT32_MIN, INT32_MAX));
}

void TrackAnalysis::equaliseTrackLengths() {
    vl::equaliseTrackLengths(tracks_);
    state_ |= state::LengthsEqualised;
}

int32_t TrackAnalysis::removeDuplicateTracks() {
    const int32_t removed = vl::removeDuplicateTracks(tracks_);
    if (removed > 0 && (state_ & state::Strands) != 0) discardStrands();
    return removed;
}

void TrackAnalysis::insertMetaMarkers() {
    vl::insertMetaMarkers(tracks_);
    state_ |= state::MetaMarkers;
}

StepResult TrackAnalysis::locateBarLines(bool withBarGroups) {
    const StepResult located =
        vl::locateBarLines(tracks_, withBarGroups, progress(), caption::LocateBarLines);
    if (!located.cancelled) state_ |= state::BarGroups;
    return located;
}

StepResult TrackAnalysis::firstQuantising() {
    if (!quantisation_.isBuilt()) buildQuantisationSettings();
    const ResolutionSettings& settings = resolutionSettings();
    // As in illegal-event elimination, a cancel within a track ends only that track.
    const StepResult quantised =
        runTrackStep(progress(), tracks_, caption::FirstQuantising, [&](MidiTrack& track, size_t) {
            return StepResult::done(static_cast<size_t>(
                firstQuantiseTrack(track, quantisation_, settings, progress()).count));
        });
    state_ |= state::FirstQuantised;
    return quantised;
}

StepResult TrackAnalysis::assessDurations(std::string_view title) {
    strands_.clear();
    const StepResult assessed = vl::assessDurations(tracks_, progress(), title);
    // A cancelled assessment leaves the bit clear, so that the level is not
    // taken as reached.
    if (!assessed.cancelled) state_ |= state::Durations;
    return assessed;
}

StepResult TrackAnalysis::assignStrands(std::string_view title) {
    if ((state_ & state::Durations) != 0) {
        if ((state_ & state::Strands) != 0) discardStrands();
    } else {
        assessDurations(caption::ReassessDurations);
    }
    const StepResult found =
        vl::assignStrands(tracks_, strands_, progress(), title, resolutionSettings());
    state_ |= state::Strands;  // also when cancelled: the strands found so far stay
    return found;
}

StepResult TrackAnalysis::durationsThenStrands(std::string_view caption1,
                                               std::string_view caption2) {
    const StepResult assessed = assessDurations(caption1);
    return assessed.cancelled ? assessed : assignStrands(caption2);
}

void TrackAnalysis::discardStrands() {
    strands_.clear();
    resetStrands(tracks_);
    state_ &= ~state::Strands;
}

void TrackAnalysis::discardResults() {
    strands_.clear();
    resetAssessment(tracks_);
    state_ &= ~(state::Durations | state::Strands);
}

void TrackAnalysis::restoreLevel(uint32_t previous, std::string_view caption1,
                                 std::string_view caption2) {
    const bool durations = (previous & state::Durations) != 0;
    const bool strands = (previous & state::Strands) != 0;
    if (durations && strands)
        durationsThenStrands(caption1, caption2);
    else if (strands)
        assignStrands(caption2);
    else if (durations)
        assessDurations(caption1);
    else
        discardResults();
}

StepResult TrackAnalysis::locateTies() {
    const StepResult tied = markTies(tracks_, progress(), caption::LocateTies);
    state_ |= state::Ties;
    return tied;
}

void TrackAnalysis::insertMarkers() {
    if ((state_ & (state::Durations | state::Strands)) != 0) discardResults();
    if ((state_ & state::AnyFiducials) != 0) removeMarkers();
    insertMetaMarkers();
    locateBarLines(true);
    state_ |= state::AnyFiducials;
}

void TrackAnalysis::removeMarkers() {
    removeAllMarkers(tracks_);
    state_ &= ~state::AnyFiducials;
}

StepResult TrackAnalysis::analyseTripletsAndSwing() {
    const auto strands = static_cast<size_t>(strandCount());
    if (strands == 0) return StepResult::done();
    const ResolutionSettings& settings = resolutionSettings();
    StepResult passes;
    if (settings.triplets != 0) passes += analyseTriplets(tracks_, strands_, quantisation_, progress());
    if (settings.swing != 0) passes += analyseSwing(tracks_, strands_, quantisation_, progress());
    state_ |= state::TripletsAndSwing;
    return StepResult::of(strands, passes.cancelled);
}

void TrackAnalysis::confirmChordStructure() { confirmChords(tracks_, strands_, progress()); }

}  // namespace vl
