#pragma once
// Everything one import owns: the MIDI data read from a file (or recorded
// live), the analysis state, the strands found and the host's walk through
// strands and items.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "listing/text_listing.h"
#include "session/import_filter_app.h"
#include "session/item_walk.h"
#include "session/track_analysis.h"

namespace vl {

// Bits of the error word.
namespace error {
constexpr uint32_t Unreadable = 0x8000;
constexpr uint32_t Reserved = 0x10000;
}  // namespace error

// Titles the editing commands show, spelt as the host has always shown them.
namespace caption {
inline constexpr std::string_view ReassignStrands = "Reassigning strands...";
inline constexpr std::string_view ReassignStrandsAfterQuantising = "Reassining strands...";
inline constexpr std::string_view ReassessDurationsAfterEqualising =
    "Ressessing MIDI note durations...";
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
    int32_t transcribe();

    uint32_t error() const { return errorWord_; }
    bool isLive() const { return live_ == 1; }
    const std::string& path() const { return path_; }
    ProgressReporter& progress() { return app_.progress(); }
    // The settings record of this session's kind (files or live input).
    ResolutionSettings& resolutionSettings() { return app_.settingsForLiveFlag(live_); }

    TrackAnalysis& analysis() { return analysis_; }
    const TrackAnalysis& analysis() const { return analysis_; }
    ItemWalk& walk() { return walk_; }

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

    TextListing& listing() { return listing_; }

private:
    ImportSession(ImportFilterApp& app, uint32_t live);
    bool readFile();
    // Before a command edits events: the host's walk and the listing cursor
    // may point at events that are about to go.
    void forgetPositions();

    ImportFilterApp& app_;
    uint32_t live_ = 0;
    std::string path_;
    uint32_t errorWord_ = 0;
    TrackAnalysis analysis_;
    ItemWalk walk_;
    TextListing listing_;
};

}  // namespace vl
