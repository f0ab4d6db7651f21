#pragma once
// Reads a Standard MIDI File, bare or wrapped in a RIFF "RMID" form, into a
// header and a track set, event by event with delta times, as stored.

#include <cstdint>
#include <string>

#include "midi/midi_file_header.h"
#include "midi/track_set.h"

namespace vl {

// Reads the file at path. Tracks are appended to tracks (callers pass an empty
// set); the set's division becomes the header's. True only when every track
// the header announces was read; tracks read before a failure stay in the set.
bool readMidiFile(const std::string& path, MidiFileHeader& header, TrackSet& tracks);

// Reads a Standard MIDI File whose header chunk begins at offset.
bool readStandardMidiFile(const std::string& path, uint64_t offset, MidiFileHeader& header,
                          TrackSet& tracks);

}  // namespace vl
