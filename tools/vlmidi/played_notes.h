#pragma once
// The notes a MIDI file plays, read by the host itself: onset, sounding length and key of every
// note, per track and channel. The library's items say how the notes are written; these say how
// they were played, for what the host revises in its score (quintuplets, note lengths).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vl::cli {

struct PlayedNote {
    std::uint64_t onset = 0;   // ticks from the start of the file
    std::uint64_t length = 0;  // ticks to its note-off (0 when it has none)
    int key = 0;
};

struct PlayedChannel {
    int track = 0;  // from 0, in the file's order of tracks
    int channel = 0;
    std::vector<PlayedNote> notes;  // by onset
};

struct PlayedFile {
    std::uint32_t division = 0;  // ticks per crotchet
    std::vector<PlayedChannel> channels;

    const PlayedChannel* find(int track, int channel) const;
};

// Nothing for a file that is not a well-formed Standard MIDI File counting ticks per crotchet.
std::optional<PlayedFile> readPlayedNotes(const std::string& bytes);
std::optional<PlayedFile> readPlayedNotesInFile(const std::string& path);

}  // namespace vl::cli
