#pragma once
// The MIDI data of one import and how far its analysis has got: the file
// header, the tracks, the analysis-state word, the quantisation settings and
// the strands found. Each step wrapper runs one pass over the tracks and keeps
// the state word; the transcription runs them in a fixed order, the editing
// commands pick the ones their edit needs.

#include <cstdint>
#include <string_view>
#include <vector>

#include "analysis/analysis_state.h"
#include "analysis/quantisation_settings.h"
#include "midi/midi_file_header.h"
#include "midi/track_set.h"
#include "notation/strand.h"
#include "platform/progress_reporter.h"
#include "platform/step_result.h"
#include "settings/resolution_settings.h"

namespace vl {

// Progress captions of the analysis steps.
namespace caption {
inline constexpr std::string_view EliminateIllegal = "Eliminating illegal MIDI events...";
inline constexpr std::string_view LocateBarLines = "Locating bar-lines...";
inline constexpr std::string_view FirstQuantising = "First quantising MIDI events...";
inline constexpr std::string_view AssessDurations = "Assessing MIDI note durations...";
inline constexpr std::string_view ReassessDurations = "Reassessing MIDI note durations...";
inline constexpr std::string_view AssignStrands = "Assigning strands...";
inline constexpr std::string_view LocateTies = "Locating ties across bar lines...";
inline constexpr std::string_view None = "";
}  // namespace caption

class TrackAnalysis {
public:
    // progress and settings belong to the application and outlive the
    // analysis; live is 1 for tracks recorded from live input.
    TrackAnalysis(ProgressReporter& progress, const ResolutionSettings& settings, uint32_t live);
    TrackAnalysis(const TrackAnalysis&) = delete;
    TrackAnalysis& operator=(const TrackAnalysis&) = delete;

    MidiFileHeader& header() { return header_; }
    const MidiFileHeader& header() const { return header_; }
    TrackSet& tracks() { return tracks_; }
    const TrackSet& tracks() const { return tracks_; }
    // The analysis-state word (bits in analysis/analysis_state.h).
    uint32_t state() const { return state_; }
    bool markersPresent() const { return (state_ & state::AnyFiducials) != 0; }
    int32_t strandCount() const { return static_cast<int32_t>(strands_.size()); }
    const std::vector<Strand>& strands() const { return strands_; }

    // Before the tracks are read again: no track, no step recorded. The
    // strands stay; the host's walk may still name them.
    void clearTracks();

    // The transcription: every step in a fixed order, testing the host's
    // cancel request between the later ones; counts the strands. Debug
    // builds check the tracks after each step from illegal-event elimination
    // on.
    StepResult transcribe();

    // Step wrappers. Those that run a cancellable pass return its result.
    // Builds the quantisation settings unless a step already built them.
    void ensureQuantisationSettings();
    StepResult eliminateIllegalEvents();
    // Only with no step recorded (state word 0): removes the delay before the
    // music and sets 0x1. Returns the delay found (0 when the step did not
    // run; negative when the grid puts the start earlier).
    int32_t removeInitialDelay();
    void equaliseTrackLengths();
    // Removes the tracks that repeat an earlier track's notes, dropping the
    // strands when some were removed. Returns the number removed.
    int32_t removeDuplicateTracks();
    void insertMetaMarkers();
    // Bar markers at every bar line, or whole bar groups withBarGroups.
    StepResult locateBarLines(bool withBarGroups);
    StepResult firstQuantising();
    StepResult assessDurations(std::string_view caption);
    // Counts the strands found.
    StepResult assignStrands(std::string_view caption);
    StepResult locateTies();
    // Counts the strands (the passes need at least one).
    StepResult analyseTripletsAndSwing();
    // Meta markers and bar groups, in place of any markers (and of the
    // durations and strands) the tracks carry.
    void insertMarkers();
    void removeMarkers();
    // Takes away the durations and the strands.
    void discardResults();
    // Brings durations and strands back to the level the state word previous
    // had, with these progress captions for the two steps.
    void restoreLevel(uint32_t previous, std::string_view caption1, std::string_view caption2);

private:
    ProgressReporter& progress() { return progress_; }
    const ResolutionSettings& resolutionSettings() const { return settings_; }
    bool cancelled() { return progress().cancelled() != 0; }
    // After a step of the transcription: the track check of debug builds,
    // and (stopAfter) the host's cancel request.
    void checkAfter(std::string_view step) const;
    bool stopAfter(std::string_view step);
    void buildQuantisationSettings();
    StepResult durationsThenStrands(std::string_view caption1, std::string_view caption2);
    void discardStrands();
    void confirmChordStructure();
    // Lays each track's events out in memory in list order, for the walks
    // that follow. Only between steps: no event position may be held.
    void compactTracks();

    ProgressReporter& progress_;
    const ResolutionSettings& settings_;
    uint32_t live_;
    MidiFileHeader header_;
    TrackSet tracks_;
    uint32_t state_ = 0;
    QuantisationSettings quantisation_;
    std::vector<Strand> strands_;
};

}  // namespace vl
