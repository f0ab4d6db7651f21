#include "session/import_session.h"

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
#include "notation/strand_walk_index.h"
#include "notation/swing_quantising.h"
#include "notation/triplet_groups.h"
#include "midi/midi_file_reader.h"

namespace vl {

ImportSession::ImportSession(ImportFilterApp& app, uint32_t live) : app_(app), live_(live) {
    tracks_.liveFlag = live;
}

ImportSession::~ImportSession() = default;

std::unique_ptr<ImportSession> ImportSession::fromFile(const std::string& path,
                                                       ImportFilterApp& app) {
    std::unique_ptr<ImportSession> session(new ImportSession(app, 0));
    session->path_ = path;
    if (!session->readFile()) session->path_.clear();
    return session;
}

std::unique_ptr<ImportSession> ImportSession::fromLiveInput(uint32_t division, int32_t trackCount,
                                                            ImportFilterApp& app) {
    // A Standard MIDI File cannot hold more tracks than its 16-bit count.
    if (trackCount > 0xFFFF) return nullptr;
    std::unique_ptr<ImportSession> session(new ImportSession(app, 1));
    session->header_.division = static_cast<uint16_t>(division);
    session->tracks_.division = division;
    for (int32_t i = 0; i < trackCount; ++i) session->tracks_.addEmptyTrack();
    return session;
}

bool ImportSession::readFile() {
    if (readMidiFile(path_, header_, tracks_)) return true;
    errorWord_ |= error::Unreadable;
    return false;
}

bool ImportSession::reread() {
    if (path_.empty()) return false;
    // The host's strands and walk stay as they are: a strand is built from the
    // tracks whenever the host asks for it, so one whose track is gone gives
    // an empty list, one whose notes are gone only its track's shared events.
    // Only what points into the old events goes.
    walkIndex_.reset();
    listing_.reset();
    tracks_.tracks.clear();
    header_.trackCount = 0;
    state_ = 0;
    if (readFile()) return true;
    path_.clear();
    return false;
}

void ImportSession::computeChannelMasks() { vl::computeChannelMasks(tracks_); }

void ImportSession::buildQuantisationSettings() {
    const ResolutionSettings& settings = resolutionSettings();
    const uint32_t options = settings.triplets != 0 ? kQuantiseTriplets : 0;
    quantisation_.build(tracks_.division, settings.quantisationBeat, live_, options);
    const uint8_t swing = settings.swing != 0 ? detectSwing(tracks_) : 0;
    tracks_.swingDetected = swing;
    quantisation_.setSwingDetected(swing);
}

int32_t ImportSession::eliminateIllegalEvents() {
    int64_t deleted = 0;
    runTrackStep(progress(), tracks_, caption::EliminateIllegal, [&](MidiTrack& track, size_t) {
        deleted += vl::eliminateIllegalEvents(track, progress()).count;
        return StepResult::done();
    });
    return static_cast<int32_t>(std::min<int64_t>(deleted, INT32_MAX));
}

int32_t ImportSession::removeInitialDelay() {
    if (state_ != 0) return 0;
    const int64_t delay = computeInitialDelay(tracks_);
    vl::removeInitialDelay(tracks_, delay);
    state_ |= state::DelayRemoved;
    return static_cast<int32_t>(std::clamp<int64_t>(delay, INT32_MIN, INT32_MAX));
}

void ImportSession::equaliseTrackLengths() {
    vl::equaliseTrackLengths(tracks_);
    state_ |= state::LengthsEqualised;
}

int32_t ImportSession::removeDuplicateTracks() {
    const int32_t removed = vl::removeDuplicateTracks(tracks_);
    if (removed > 0 && (state_ & state::Strands) != 0) clearStrands();
    return removed;
}

void ImportSession::insertMetaMarkers() {
    vl::insertMetaMarkers(tracks_);
    state_ |= state::MetaMarkers;
}

bool ImportSession::locateBarLines(int flag) {
    const bool located =
        !vl::locateBarLines(tracks_, flag == 1, progress(), caption::LocateBarLines).cancelled;
    if (located) state_ |= state::BarGroups;
    return located;
}

void ImportSession::removeBarGroups() {
    vl::removeBarGroups(tracks_);
    state_ &= ~state::BarGroups;
}

bool ImportSession::firstQuantising() {
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

bool ImportSession::assessDurations(std::string_view title) {
    strands_.clear();
    const bool assessed = !vl::assessDurations(tracks_, progress(), title).cancelled;
    // A cancelled assessment leaves the bit clear, so that the level is not
    // taken as reached.
    if (assessed) state_ |= state::Durations;
    return assessed;
}

int32_t ImportSession::assignStrands(std::string_view title) {
    if ((state_ & state::Durations) != 0) {
        if ((state_ & state::Strands) != 0) clearStrands();
    } else {
        assessDurations(caption::ReassessDurations);
    }
    const StepResult found =
        vl::assignStrands(tracks_, strands_, progress(), title, resolutionSettings());
    state_ |= state::Strands;  // also when cancelled: the strands found so far stay
    return found.cancelled ? -1 : found.count;
}

int32_t ImportSession::durationsThenStrands(std::string_view caption1, std::string_view caption2) {
    if (!assessDurations(caption1)) return 0;
    return assignStrands(caption2);
}

void ImportSession::clearStrands() {
    strands_.clear();
    resetStrands(tracks_);
    state_ &= ~state::Strands;
}

void ImportSession::clearDurations() {
    strands_.clear();
    resetAssessment(tracks_);
    state_ &= ~(state::Durations | state::Strands);
}

void ImportSession::clearAllAnnotations() {
    strands_.clear();
    resetAllAnnotations(tracks_);
    state_ &= ~(state::Durations | state::Strands);
}

void ImportSession::restoreLevel(uint32_t previous, std::string_view caption1,
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
        clearDurations();
}

int32_t ImportSession::locateTies() {
    const int32_t bars = markTies(tracks_, progress(), caption::LocateTies).count;
    state_ |= state::Ties;
    return bars;
}

void ImportSession::insertFiducialEvents() {
    if ((state_ & (state::Durations | state::Strands)) != 0) clearDurations();
    if ((state_ & state::AnyFiducials) != 0) removeFiducialEvents();
    insertMetaMarkers();
    locateBarLines(1);
    state_ |= state::AnyFiducials;
}

void ImportSession::removeFiducialEvents() {
    removeAllMarkers(tracks_);
    state_ &= ~state::AnyFiducials;
}

int32_t ImportSession::analyseTripletsAndSwing() {
    const int32_t n = strandCount();
    if (n < 1) return n;
    const ResolutionSettings& settings = resolutionSettings();
    if (settings.triplets != 0) analyseTriplets(tracks_, strands_, quantisation_, progress());
    if (settings.swing != 0) analyseSwing(tracks_, strands_, quantisation_, progress());
    state_ |= state::TripletsAndSwing;
    return n;
}

void ImportSession::confirmChordStructure() { confirmChords(tracks_, strands_, progress()); }

}  // namespace vl
