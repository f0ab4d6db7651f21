#pragma once
// Everything one import owns: the MIDI data read from a file (or recorded
// live), the analysis state, the strands found and the host's walk through
// strands and items.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/analysis_state.h"
#include "analysis/quantisation_settings.h"
#include "listing/text_listing.h"
#include "midi/midi_file_header.h"
#include "midi/track_set.h"
#include "notation/item_list.h"
#include "notation/strand.h"
#include "session/import_filter_app.h"

namespace vl {

class StrandWalkIndex;

// Bits of the error word.
namespace error {
constexpr uint32_t Unreadable = 0x8000;
constexpr uint32_t Reserved = 0x10000;
}  // namespace error

// Progress captions of the transcription steps.
namespace caption {
inline constexpr std::string_view EliminateIllegal = "Eliminating illegal MIDI events...";
inline constexpr std::string_view LocateBarLines = "Locating bar-lines...";
inline constexpr std::string_view FirstQuantising = "First quantising MIDI events...";
inline constexpr std::string_view AssessDurations = "Assessing MIDI note durations...";
inline constexpr std::string_view ReassessDurations = "Reassessing MIDI note durations...";
inline constexpr std::string_view AssignStrands = "Assigning strands...";
inline constexpr std::string_view LocateTies = "Locating ties across bar lines...";
// The editing commands' own titles, spelt as the host has always shown them.
inline constexpr std::string_view ReassignStrands = "Reassigning strands...";
inline constexpr std::string_view ReassignStrandsAfterQuantising = "Reassining strands...";
inline constexpr std::string_view ReassessDurationsAfterEqualising =
    "Ressessing MIDI note durations...";
inline constexpr std::string_view None = "";
}  // namespace caption

class ImportSession {
public:
    // Reads the file; check error() for bit 0x8000 afterwards.
    static std::unique_ptr<ImportSession> fromFile(const std::string& path,
                                                   ImportFilterApp& app = ImportFilterApp::instance());
    // Empty tracks with the given division, for events the host appends.
    static std::unique_ptr<ImportSession> fromLiveInput(uint32_t division, int32_t trackCount,
                                                        ImportFilterApp& app = ImportFilterApp::instance());
    virtual ~ImportSession();
    ImportSession(const ImportSession&) = delete;
    ImportSession& operator=(const ImportSession&) = delete;

    // Reads the file again from scratch; false (nothing changed) without a path.
    bool reread();
    // The transcription: -1 when the host cancelled, else the number of strands.
    int32_t initialise();

    uint32_t error() const { return errorWord_; }
    uint32_t analysisState() const { return state_; }
    bool isLive() const { return live_ == 1; }
    const std::string& path() const { return path_; }
    const MidiFileHeader& header() const { return header_; }
    TrackSet& tracks() { return tracks_; }
    const TrackSet& tracks() const { return tracks_; }
    ImportFilterApp& app() { return app_; }
    ProgressReporter& progress() { return app_.progress(); }
    // The settings record of this session's kind (files or live input).
    ResolutionSettings& resolutionSettings() { return app_.settingsForLiveFlag(live_); }

    int32_t strandCount() const { return static_cast<int32_t>(strands_.size()); }
    const std::vector<Strand>& strands() const { return strands_; }

    // Step wrappers: each runs one operation over the tracks and keeps the
    // analysis-state word. The editing commands are built from them.
    void computeChannelMasks();
    void buildQuantisationSettings();
    int32_t eliminateIllegalEvents();
    // Only on a session with no step recorded (state word 0): removes the
    // delay before the music and sets 0x1. Returns the delay found (0 when
    // the step did not run; negative when the grid puts the start earlier).
    int32_t removeInitialDelay();
    void equaliseTrackLengths();
    // Removes the tracks that repeat an earlier track's notes, dropping the
    // strands when some were removed. Returns the number removed.
    int32_t removeDuplicateTracks();
    void insertMetaMarkers();
    bool locateBarLines(int flag);
    void removeBarGroups();
    bool firstQuantising();
    bool assessDurations(std::string_view caption);
    // The number of strands, or -1 when the host cancelled.
    int32_t assignStrands(std::string_view caption);
    int32_t durationsThenStrands(std::string_view caption1, std::string_view caption2);
    void clearStrands();
    void clearDurations();
    void clearAllAnnotations();
    void restoreLevel(uint32_t previousState, std::string_view caption1, std::string_view caption2);
    int32_t locateTies();
    void insertFiducialEvents();
    void removeFiducialEvents();
    int32_t analyseTripletsAndSwing();
    void confirmChordStructure();

    // Building blocks of the editing commands.
    bool markersPresent() const { return (state_ & state::AnyFiducials) != 0; }
    void discardResults() { clearDurations(); }
    void dropStrands() { clearStrands(); }
    void removeMarkers() { removeFiducialEvents(); }
    void insertMarkers() { insertFiducialEvents(); }

    // The editing commands (editing_commands.cpp). Each one takes away the
    // results its edit makes stale and afterwards brings durations and
    // strands back to the level they had.
    int32_t rerunFirstQuantising();
    int32_t fixInitialDelay();
    int32_t removeDuplicateTracksAndReassign();
    void equaliseTrackLengthsAndRestore();
    int32_t completeAllMissingSteps();
    int32_t eliminateIllegalEventsAndRestore();
    void insertMarkersAndRestore();
    void clearMarkersAndRestore();
    void toggleMarkers();
    bool insertBarLines();
    int32_t insertProprietaryOnOffs();
    int32_t annotate();

    // Item walk (the host's strand and item exports).
    bool getFirstStrand();
    bool getNextStrand();
    bool getGuideStrand();
    bool getStartItems();
    bool getFirstItem(ImportItem* out);
    bool getNextItem(ImportItem* out);
    // Backward steps for the item viewer: one item back in the current list,
    // one strand back (its list rebuilt).
    bool getPreviousItem(ImportItem* out);
    bool getPreviousStrand();
    bool getStartVoicing(ImportItem* out);
    const char* itemText(const ImportItem& item) const;

    TextListing& listing() { return listing_; }

private:
    ImportSession(ImportFilterApp& app, uint32_t live);
    bool readFile();
    bool cancelled() { return progress().cancelled() != 0; }
    void discardItems();
    // Before a command edits events: the host's walk and the listing cursor
    // may point at events that are about to go.
    void forgetPositions();
    // Lays each track's events out in memory in list order, for the walks
    // that follow. Only between steps: no event position may be held.
    void compactTracks();
    bool buildStrandItems(size_t strandIndex);

    ImportFilterApp& app_;
    MidiFileHeader header_;
    TrackSet tracks_;
    uint32_t live_ = 0;
    std::string path_;
    uint32_t errorWord_ = 0;
    uint32_t state_ = 0;
    QuantisationSettings quantisation_;
    std::vector<Strand> strands_;
    std::unique_ptr<ItemList> items_;
    // The walk index of the current strand's track, kept while the host steps
    // through the strands of that track; dropped with the items.
    std::unique_ptr<StrandWalkIndex> walkIndex_;
    size_t itemPosition_ = 0;
    // Index of the current strand; strands_.size() once a step ran past the
    // last one (a step back returns to it), SIZE_MAX for no strand at all.
    size_t strandPosition_ = SIZE_MAX;
    ImportItem voicingItem_{};
    TextListing listing_;
};

}  // namespace vl
