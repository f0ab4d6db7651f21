// Fuzz target: the MIDI file reader alone (plain and RIFF-wrapped files).
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "midi/midi_file_header.h"
#include "midi/midi_file_reader.h"
#include "midi/track_set.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const vl::fuzz::MemoryFile file(data, size);
    if (!file.ok()) return 0;
    vl::MidiFileHeader header;
    vl::TrackSet tracks;
    (void)vl::readMidiFile(file.path(), header, tracks);
    return 0;
}
