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
    discardItems();
    strandPosition_ = SIZE_MAX;
    listing_.reset();
}

int32_t ImportSession::rerunFirstQuantising() {
    forgetPositions();
    const uint32_t old = state_;
    if (has(old, kResults)) discardResults();
    const bool changed = firstQuantising();
    restoreLevel(old, caption::ReassessDurations, caption::ReassignStrandsAfterQuantising);
    return changed ? 1 : 0;
}

int32_t ImportSession::fixInitialDelay() {
    forgetPositions();
    const uint32_t old = state_;
    // Bar groups sit on the old bar lines; they are placed again afterwards.
    if (has(old, state::BarGroups)) removeMarkers();
    const int32_t delay = removeInitialDelay();
    if (has(old, state::BarGroups)) insertMarkers();
    restoreLevel(old, caption::AssessDurations, caption::ReassignStrandsAfterQuantising);
    return delay;
}

int32_t ImportSession::removeDuplicateTracksAndReassign() {
    forgetPositions();
    const uint32_t old = state_;
    const int32_t removed = removeDuplicateTracks();
    // The strands named the removed tracks by index: they are made again.
    if (removed > 0 && has(old, state::Strands)) assignStrands(caption::None);
    return removed;
}

void ImportSession::equaliseTrackLengthsAndRestore() {
    forgetPositions();
    const uint32_t old = state_;
    if (has(old, kResults)) discardResults();
    if (has(old, state::AnyFiducials)) removeMarkers();
    equaliseTrackLengths();
    if (has(old, state::AnyFiducials)) insertMarkers();
    restoreLevel(old, caption::ReassessDurationsAfterEqualising, caption::ReassignStrands);
}

int32_t ImportSession::completeAllMissingSteps() {
    forgetPositions();
    if (!quantisation_.isBuilt()) buildQuantisationSettings();
    eliminateIllegalEvents();
    if (!has(state_, state::DelayRemoved)) removeInitialDelay();
    if (!has(state_, state::LengthsEqualised)) equaliseTrackLengths();
    removeDuplicateTracks();
    if (!has(state_, state::MetaMarkers)) insertMetaMarkers();
    if (!has(state_, state::BarGroups)) locateBarLines(0);
    if (!has(state_, state::FirstQuantised)) rerunFirstQuantising();
    if (!has(state_, state::Durations)) assessDurations(caption::None);
    if (!has(state_, state::Strands)) assignStrands(caption::None);
    if (!has(state_, state::Ties)) locateTies();
    return analyseTripletsAndSwing();
}

int32_t ImportSession::eliminateIllegalEventsAndRestore() {
    forgetPositions();
    const uint32_t old = state_;
    if (has(old, kResults)) discardResults();
    const int32_t deleted = eliminateIllegalEvents();
    restoreLevel(old, caption::None, caption::None);
    return deleted;
}

void ImportSession::insertMarkersAndRestore() {
    forgetPositions();
    const uint32_t old = state_;
    insertMarkers();
    restoreLevel(old, caption::AssessDurations, caption::ReassignStrands);
}

void ImportSession::clearMarkersAndRestore() {
    forgetPositions();
    const uint32_t old = state_;
    if (has(old, kResults)) discardResults();
    removeMarkers();
    restoreLevel(old, caption::None, caption::None);
}

void ImportSession::toggleMarkers() {
    if (markersPresent())
        clearMarkersAndRestore();
    else
        insertMarkersAndRestore();
}

bool ImportSession::insertBarLines() {
    if (markersPresent()) clearMarkersAndRestore();
    forgetPositions();
    insertMetaMarkers();
    locateBarLines(0);
    return true;
}

int32_t ImportSession::insertProprietaryOnOffs() {
    forgetPositions();
    return locateTies();
}

int32_t ImportSession::annotate() {
    forgetPositions();
    if (!assessDurations(caption::None)) return 0;
    return assignStrands(caption::None);
}

}  // namespace vl
