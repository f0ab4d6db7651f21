#pragma once
// One import: how it was made (a file read, or tracks the host fills from
// live input), its error word, the application and settings record it uses,
// and the parts it owns: the tracks with their analysis, the host's walk
// through strands and items, the editing commands and the text listing.

#include <cstdint>
#include <memory>
#include <string>

#include "listing/text_listing.h"
#include "session/editing_commands.h"
#include "session/import_filter_app.h"
#include "session/item_walk.h"
#include "session/track_analysis.h"

namespace vl {

// Bits of the error word.
namespace error {
constexpr uint32_t Unreadable = 0x8000;
constexpr uint32_t Reserved = 0x10000;
}  // namespace error

class ImportSession {
public:
    // Reads the file; check error() for bit 0x8000 afterwards.
    static std::unique_ptr<ImportSession> fromFile(
        const std::string& path, ImportFilterApp& app = ImportFilterApp::instance());
    // Empty tracks with the given division, for events the host appends.
    static std::unique_ptr<ImportSession> fromLiveInput(
        uint32_t division, int32_t trackCount, ImportFilterApp& app = ImportFilterApp::instance());
    virtual ~ImportSession();
    ImportSession(const ImportSession&) = delete;
    ImportSession& operator=(const ImportSession&) = delete;

    // Reads the file again from scratch; false (nothing changed) without a path.
    bool reread();
    // The transcription, after the walk and the listing cursor are reset: -1
    // when the host cancelled, else the number of strands.
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
    EditingCommands& editing() { return editing_; }
    TextListing& listing() { return listing_; }

private:
    ImportSession(ImportFilterApp& app, uint32_t live);
    bool readFile();

    ImportFilterApp& app_;
    uint32_t live_ = 0;
    std::string path_;
    uint32_t errorWord_ = 0;
    TrackAnalysis analysis_;
    ItemWalk walk_;
    TextListing listing_;
    EditingCommands editing_;
};

}  // namespace vl
