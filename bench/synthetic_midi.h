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
