#include "session/track_analysis.h"

#include <algorithm>
#include <climits>

#include "analysis/bar_line_location.h"
#include "analysis/duration_assessment.h"
#include "analysis/first_quantising.h"
#include "analysis/illegal_events.h"
#include "analysis/swing_detection.h"
#include "analysis/tie_location.h"
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

int32_t TrackAnalysis::transcribe() {
    vl::computeChannelMasks(tracks_);
    buildQuantisationSettings();
    eliminateIllegalEvents();
    removeInitialDelay();
    equaliseTrackLengths();
    removeDuplicateTracks();
    insertMetaMarkers();
    locateBarLines(false);
    // Bar markers and bar groups went in from nodes at the end of each
    // track's pool; first quantising walks every track several times.
    compactTracks();
    if (cancelled()) return -1;
    firstQuantising();
    if (cancelled()) return -1;
    durationsThenStrands(caption::AssessDurations, caption::AssignStrands);
    if (cancelled()) return -1;
    locateTies();
    // Bar groups and tie events have been linked in all over each track; the
    // strand passes that follow walk a track once per strand.
    compactTracks();
    if (cancelled()) return -1;
    const int32_t strandResult = analyseTripletsAndSwing();
    if (cancelled()) return -1;
    confirmChordStructure();
    if (cancelled()) return -1;
    return strandResult;
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

int32_t TrackAnalysis::eliminateIllegalEvents() {
    int64_t deleted = 0;
    runTrackStep(progress(), tracks_, caption::EliminateIllegal, [&](MidiTrack& track, size_t) {
        deleted += vl::eliminateIllegalEvents(track, progress()).count;
        return StepResult::done();
    });
    return static_cast<int32_t>(std::min<int64_t>(deleted, INT32_MAX));
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

bool TrackAnalysis::locateBarLines(bool withBarGroups) {
    const bool located =
        !vl::locateBarLines(tracks_, withBarGroups, progress(), caption::LocateBarLines).cancelled;
    if (located) state_ |= state::BarGroups;
    return located;
}

bool TrackAnalysis::firstQuantising() {
    if (!quantisation_.isBuilt()) buildQuantisationSettings();
    bool changed = false;
    const ResolutionSettings& settings = resolutionSettings();
    runTrackStep(progress(), tracks_, caption::FirstQuantising, [&](MidiTrack& track, size_t) {
        changed |= firstQuantiseTrack(track, quantisation_, settings, progress()).count > 0;
        return StepResult::done();
    });
    state_ |= state::FirstQuantised;
    return changed;
}

bool TrackAnalysis::assessDurations(std::string_view title) {
    strands_.clear();
    const bool assessed = !vl::assessDurations(tracks_, progress(), title).cancelled;
    // A cancelled assessment leaves the bit clear, so that the level is not
    // taken as reached.
    if (assessed) state_ |= state::Durations;
    return assessed;
}

int32_t TrackAnalysis::assignStrands(std::string_view title) {
    if ((state_ & state::Durations) != 0) {
        if ((state_ & state::Strands) != 0) discardStrands();
    } else {
        assessDurations(caption::ReassessDurations);
    }
    const StepResult found =
        vl::assignStrands(tracks_, strands_, progress(), title, resolutionSettings());
    state_ |= state::Strands;  // also when cancelled: the strands found so far stay
    return found.cancelled ? -1 : found.count;
}

int32_t TrackAnalysis::durationsThenStrands(std::string_view caption1, std::string_view caption2) {
    if (!assessDurations(caption1)) return 0;
    return assignStrands(caption2);
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

int32_t TrackAnalysis::locateTies() {
    const int32_t bars = markTies(tracks_, progress(), caption::LocateTies).count;
    state_ |= state::Ties;
    return bars;
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

int32_t TrackAnalysis::analyseTripletsAndSwing() {
    const int32_t n = strandCount();
    if (n < 1) return n;
    const ResolutionSettings& settings = resolutionSettings();
    if (settings.triplets != 0) analyseTriplets(tracks_, strands_, quantisation_, progress());
    if (settings.swing != 0) analyseSwing(tracks_, strands_, quantisation_, progress());
    state_ |= state::TripletsAndSwing;
    return n;
}

void TrackAnalysis::confirmChordStructure() { confirmChords(tracks_, strands_, progress()); }

}  // namespace vl
