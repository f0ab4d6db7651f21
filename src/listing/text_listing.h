#pragma once
// Line-by-line text listing of a session's MIDI data: a file header line, then
// per track a track header line and one line per event. The host moves a cursor
// over the lines and asks for each line's text column by column ("chunks").

#include <cstdint>
#include <string>

#include "midi/midi_file_header.h"
#include "midi/midi_track.h"
#include "midi/track_set.h"

namespace vl {

// What the listing reads from a session. Nothing is changed through it.
struct ListingSource {
    const MidiFileHeader& header;
    const TrackSet& tracks;
    uint32_t analysisState;  // the session's analysis-state word
};

namespace listing {
// Line types as the host sees them.
constexpr uint16_t FileHeaderLine = 1;
constexpr uint16_t TrackHeaderLine = 2;
constexpr uint16_t EventLine = 3;
constexpr uint16_t EndPosition = 5;  // after the last line; never shown
constexpr uint16_t InvalidCursor = 65535;

// The one column of both header lines.
constexpr uint16_t HeaderChunk = 2;
}  // namespace listing

// The listing state a session owns. setFirst is the only way onto a line: a
// fresh or reset listing answers "no line" to everything until then. Positions
// point into the session's tracks, so any edit of the tracks leaves the cursor
// stale; the session resets the listing whenever it rebuilds its tracks, and
// the host starts a new walk with setFirst after any editing command.
//
// A track without events lists only its header line; the next line is the
// following track's header (or the end).
class TextListing {
public:
    // Back to the state of a new session: no line, no text.
    void reset();

    // Cursor on the file header line; runningTime 0. Always true: the file
    // header line exists even for a session without tracks.
    bool setFirst(const ListingSource& source);
    // Moves to the next line; false at the end and when the cursor is on no line.
    bool setNext(const ListingSource& source);
    // Text of one column of the current line, or null when it is empty or the
    // cursor is on no line. Valid until the next request or reset.
    const char* textChunk(const ListingSource& source, uint16_t chunk);
    // 1, 2 or 3 on a line, -1 otherwise.
    int16_t lineType(const ListingSource& source) const;
    // Events of all tracks + tracks + 2 (the file header line and the end
    // position), as the host expects it; the walk itself shows one line less.
    static uint32_t lineCount(const TrackSet& tracks);

    // Absolute time of the current event line; 0 on header lines.
    int32_t runningTime() const { return runningTime_; }

private:
    bool isOnLine(const ListingSource& source) const;
    // Sets the cursor on the header of track index t, or on the end position.
    void moveToTrackHeader(const ListingSource& source, size_t t);
    void moveToNextEvent(const ListingSource& source);
    const MidiTrack& currentTrack(const ListingSource& source) const {
        return source.tracks.tracks[trackIndex_];
    }
    std::string chunkText(const ListingSource& source, uint16_t chunk) const;
    std::string trackHeaderText(const ListingSource& source) const;

    uint16_t lineType_ = listing::InvalidCursor;
    size_t trackIndex_ = 0;
    // The track the cursor walks, to notice a track set that moved under it.
    const MidiTrack* track_ = nullptr;
    ConstEventPos event_{};
    int32_t runningTime_ = 0;
    std::string lineText_;
};

}  // namespace vl
