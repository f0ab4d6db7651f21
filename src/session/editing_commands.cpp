// The host's editing and repair commands. Each command notes the analysis
// level it started from, takes away the durations and strands its edit makes
// stale (and the markers that would be in its way), edits, and restores that
// level with the progress titles the host has always shown.
#include "session/import_session.h"

namespace vl {

namespace {

constexpr uint32_t kResults = state::Durations | state::Strands;

bool has(uint32_t word, uint32_t bits) { return (word & bits) != 0; }

}  // namespace

void ImportSession::forgetPositions() {
    walk_.reset();
    listing_.reset();
}

int32_t ImportSession::rerunFirstQuantising() {
    forgetPositions();
    const uint32_t old = analysis_.state();
    if (has(old, kResults)) analysis_.discardResults();
    const bool changed = analysis_.firstQuantising();
    analysis_.restoreLevel(old, caption::ReassessDurations,
                           caption::ReassignStrandsAfterQuantising);
    return changed ? 1 : 0;
}

int32_t ImportSession::fixInitialDelay() {
    forgetPositions();
    const uint32_t old = analysis_.state();
    // Bar groups sit on the old bar lines; they are placed again afterwards.
    if (has(old, state::BarGroups)) analysis_.removeMarkers();
    const int32_t delay = analysis_.removeInitialDelay();
    if (has(old, state::BarGroups)) analysis_.insertMarkers();
    analysis_.restoreLevel(old, caption::AssessDurations, caption::ReassignStrandsAfterQuantising);
    return delay;
}

int32_t ImportSession::removeDuplicateTracksAndReassign() {
    forgetPositions();
    const uint32_t old = analysis_.state();
    const int32_t removed = analysis_.removeDuplicateTracks();
    // The strands named the removed tracks by index: they are made again.
    if (removed > 0 && has(old, state::Strands)) analysis_.assignStrands(caption::None);
    return removed;
}

void ImportSession::equaliseTrackLengthsAndRestore() {
    forgetPositions();
    const uint32_t old = analysis_.state();
    if (has(old, kResults)) analysis_.discardResults();
    if (has(old, state::AnyFiducials)) analysis_.removeMarkers();
    analysis_.equaliseTrackLengths();
    if (has(old, state::AnyFiducials)) analysis_.insertMarkers();
    analysis_.restoreLevel(old, caption::ReassessDurationsAfterEqualising,
                           caption::ReassignStrands);
}

int32_t ImportSession::completeAllMissingSteps() {
    forgetPositions();
    TrackAnalysis& a = analysis_;
    const auto done = [&a](uint32_t step) { return has(a.state(), step); };
    a.ensureQuantisationSettings();
    a.eliminateIllegalEvents();
    if (!done(state::DelayRemoved)) a.removeInitialDelay();
    if (!done(state::LengthsEqualised)) a.equaliseTrackLengths();
    a.removeDuplicateTracks();
    if (!done(state::MetaMarkers)) a.insertMetaMarkers();
    if (!done(state::BarGroups)) a.locateBarLines(false);
    if (!done(state::FirstQuantised)) rerunFirstQuantising();
    if (!done(state::Durations)) a.assessDurations(caption::None);
    if (!done(state::Strands)) a.assignStrands(caption::None);
    if (!done(state::Ties)) a.locateTies();
    return a.analyseTripletsAndSwing();
}

int32_t ImportSession::eliminateIllegalEventsAndRestore() {
    forgetPositions();
    const uint32_t old = analysis_.state();
    if (has(old, kResults)) analysis_.discardResults();
    const int32_t deleted = analysis_.eliminateIllegalEvents();
    analysis_.restoreLevel(old, caption::None, caption::None);
    return deleted;
}

void ImportSession::insertMarkersAndRestore() {
    forgetPositions();
    const uint32_t old = analysis_.state();
    analysis_.insertMarkers();
    analysis_.restoreLevel(old, caption::AssessDurations, caption::ReassignStrands);
}

void ImportSession::clearMarkersAndRestore() {
    forgetPositions();
    const uint32_t old = analysis_.state();
    if (has(old, kResults)) analysis_.discardResults();
    analysis_.removeMarkers();
    analysis_.restoreLevel(old, caption::None, caption::None);
}

void ImportSession::toggleMarkers() {
    if (analysis_.markersPresent())
        clearMarkersAndRestore();
    else
        insertMarkersAndRestore();
}

bool ImportSession::insertBarLines() {
    if (analysis_.markersPresent()) clearMarkersAndRestore();
    forgetPositions();
    analysis_.insertMetaMarkers();
    analysis_.locateBarLines(false);
    return true;
}

int32_t ImportSession::insertProprietaryOnOffs() {
    forgetPositions();
    return analysis_.locateTies();
}

int32_t ImportSession::annotate() {
    forgetPositions();
    if (!analysis_.assessDurations(caption::None)) return 0;
    return analysis_.assignStrands(caption::None);
}

}  // namespace vl
