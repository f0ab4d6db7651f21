#include "session/import_session.h"

#include "midi/midi_file_reader.h"

namespace vl {

ImportSession::ImportSession(ImportFilterApp& app, uint32_t live)
    : app_(app),
      live_(live),
      analysis_(app.progress(), app.settingsForLiveFlag(live), live),
      walk_(analysis_.tracks(), analysis_.strands()),
      editing_(analysis_, walk_, listing_) {}

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
    session->analysis_.header().division = static_cast<uint16_t>(division);
    TrackSet& tracks = session->analysis_.tracks();
    tracks.division = division;
    for (int32_t i = 0; i < trackCount; ++i) tracks.addEmptyTrack();
    return session;
}

bool ImportSession::readFile() {
    if (readMidiFile(path_, analysis_.header(), analysis_.tracks())) return true;
    errorWord_ |= error::Unreadable;
    return false;
}

bool ImportSession::reread() {
    if (path_.empty()) return false;
    // The host's strands and walk stay as they are: a strand is built from the
    // tracks whenever the host asks for it, so one whose track is gone gives
    // an empty list, one whose notes are gone only its track's shared events.
    // Only what points into the old events goes.
    walk_.forgetTrackIndex();
    listing_.reset();
    analysis_.clearTracks();
    if (readFile()) return true;
    path_.clear();
    return false;
}

int32_t ImportSession::transcribe() {
    // The steps insert and delete events: a listing cursor and the item walk
    // must start again.
    editing_.forgetPositions();
    return analysis_.transcribe().hostAnswer();
}

}  // namespace vl
