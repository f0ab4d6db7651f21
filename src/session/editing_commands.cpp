#include "session/editing_commands.h"

namespace vl {

namespace {

// The titles the commands show when they restore the level, spelt as the host
// has always shown them.
namespace title {
constexpr std::string_view ReassignStrands = "Reassigning strands...";
constexpr std::string_view ReassignStrandsAfterQuantising = "Reassining strands...";
constexpr std::string_view ReassessDurationsAfterEqualising = "Ressessing MIDI note durations...";
}  // namespace title

constexpr uint32_t kResults = state::Durations | state::Strands;

bool has(uint32_t word, uint32_t bits) { return (word & bits) != 0; }

}  // namespace

EditingCommands::EditingCommands(TrackAnalysis& analysis, ItemWalk& walk, TextListing& listing)
    : analysis_(analysis), walk_(walk), listing_(listing) {}

void EditingCommands::forgetPositions() {
    walk_.reset();
    listing_.reset();
}

int32_t EditingCommands::rerunFirstQuantising() {
    forgetPositions();
    const uint32_t old = analysis_.state();
    if (has(old, kResults)) analysis_.discardResults();
    const bool changed = analysis_.firstQuantising().count > 0;
    analysis_.restoreLevel(old, caption::ReassessDurations, title::ReassignStrandsAfterQuantising);
    return changed ? 1 : 0;
}

int32_t EditingCommands::fixInitialDelay() {
    forgetPositions();
    const uint32_t old = analysis_.state();
    // Bar groups sit on the old bar lines; they are placed again afterwards.
    if (has(old, state::BarGroups)) analysis_.removeMarkers();
    const int32_t delay = analysis_.removeInitialDelay();
    if (has(old, state::BarGroups)) analysis_.insertMarkers();
    analysis_.restoreLevel(old, caption::AssessDurations, title::ReassignStrandsAfterQuantising);
    return delay;
}

int32_t EditingCommands::removeDuplicateTracksAndReassign() {
    forgetPositions();
    const uint32_t old = analysis_.state();
    const int32_t removed = analysis_.removeDuplicateTracks();
    // The strands named the removed tracks by index: they are made again.
    if (removed > 0 && has(old, state::Strands)) analysis_.assignStrands(caption::None);
    return removed;
}

void EditingCommands::equaliseTrackLengthsAndRestore() {
    forgetPositions();
    const uint32_t old = analysis_.state();
    if (has(old, kResults)) analysis_.discardResults();
    if (has(old, state::AnyFiducials)) analysis_.removeMarkers();
    analysis_.equaliseTrackLengths();
    if (has(old, state::AnyFiducials)) analysis_.insertMarkers();
    analysis_.restoreLevel(old, title::ReassessDurationsAfterEqualising, title::ReassignStrands);
}

int32_t EditingCommands::completeAllMissingSteps() {
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
    return a.analyseTripletsAndSwing().count;
}

int32_t EditingCommands::eliminateIllegalEventsAndRestore() {
    forgetPositions();
    const uint32_t old = analysis_.state();
    if (has(old, kResults)) analysis_.discardResults();
    const int32_t deleted = analysis_.eliminateIllegalEvents().count;
    analysis_.restoreLevel(old, caption::None, caption::None);
    return deleted;
}

void EditingCommands::insertMarkersAndRestore() {
    forgetPositions();
    const uint32_t old = analysis_.state();
    analysis_.insertMarkers();
    analysis_.restoreLevel(old, caption::AssessDurations, title::ReassignStrands);
}

void EditingCommands::clearMarkersAndRestore() {
    forgetPositions();
    const uint32_t old = analysis_.state();
    if (has(old, kResults)) analysis_.discardResults();
    analysis_.removeMarkers();
    analysis_.restoreLevel(old, caption::None, caption::None);
}

void EditingCommands::toggleMarkers() {
    if (analysis_.markersPresent())
        clearMarkersAndRestore();
    else
        insertMarkersAndRestore();
}

bool EditingCommands::insertBarLines() {
    if (analysis_.markersPresent()) clearMarkersAndRestore();
    forgetPositions();
    analysis_.insertMetaMarkers();
    analysis_.locateBarLines(false);
    return true;
}

int32_t EditingCommands::insertProprietaryOnOffs() {
    forgetPositions();
    return analysis_.locateTies().count;
}

int32_t EditingCommands::annotate() {
    forgetPositions();
    if (analysis_.assessDurations(caption::None).cancelled) return 0;
    return analysis_.assignStrands(caption::None).hostAnswer();
}

}  // namespace vl
