#pragma once
// Runs the MIDI file reader over bytes written to a temporary file.

#include <vector>

#include "midi/midi_file_reader.h"
#include "support/smf_builder.h"

namespace vl::test {

struct ReadResult {
    bool ok = false;
    MidiFileHeader header;
    TrackSet tracks;
};

inline ReadResult readBytes(const Bytes& bytes) {
    const TempFile file = writeTempFile(bytes);
    ReadResult r;
    r.ok = readMidiFile(file.path(), r.header, r.tracks);
    return r;
}

// The events of a track as a vector, for indexing in tests.
inline std::vector<const MidiEvent*> eventsOf(const MidiTrack& t) {
    std::vector<const MidiEvent*> out;
    for (const MidiEvent& e : t.events) out.push_back(&e);
    return out;
}

}  // namespace vl::test
