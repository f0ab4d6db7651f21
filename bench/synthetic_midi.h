#pragma once
// Synthetic Standard MIDI Files for the benchmarks: music that looks like what
// people play and sequence (onsets jittered around a grid, chords held across
// bar lines, two hands on one channel, drums on channel 10, triplet and swung
// passages, tempo and time-signature changes, several tracks), written as the
// bytes of a format 1 file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vl::bench {

// The parts of a format 1 file at 480 ticks per quarter, for files built note by note.
struct Note {  // on and off in ticks
    int64_t on = 0;
    int64_t off = 0;
    uint8_t channel = 0;
    uint8_t key = 60;
    uint8_t velocity = 80;
};

struct Meta {
    int64_t time = 0;
    std::vector<uint8_t> bytes;  // FF type length data
};

struct Track {
    std::string name;
    uint8_t channel = 0;
    uint8_t program = 0;
    std::vector<Note> notes;
    std::vector<Meta> metas;
};

// A meta event: FF, type, length, data.
Meta meta(int64_t time, uint8_t type, std::vector<uint8_t> data);
Meta tempoMeta(int64_t time, uint32_t microsecondsPerQuarter);

// Each track starts with its name and its program change on its channel.
std::vector<uint8_t> smfBytes(const std::vector<Track>& tracks);

// A mixed ensemble of about noteCount notes: a conductor track (tempo and
// metre changes), a piano (two hands on channel 1), sustained strings, a bass
// line and drums on channel 10.
std::vector<uint8_t> makeEnsembleFile(size_t noteCount, uint32_t seed = 12345);

// The file for the comparison with other programs: trackCount tracks of
// notesPerTrack jittered notes each, 480 ticks per quarter.
std::vector<uint8_t> makePeersFile(size_t trackCount = 16, size_t notesPerTrack = 20000,
                                   uint32_t seed = 4711);

// Number of events in the tracks of a Standard MIDI File (end-of-track
// included); 0 when the bytes are not one. Every read is bounds-checked.
size_t countFileEvents(const std::vector<uint8_t>& bytes);

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> readFile(const std::string& path);

}  // namespace vl::bench
