#pragma once
// A MIDI file through the library as a notation host takes it (open, initialise, walk the
// start items, the guide strand and every strand, close), read back as written notes.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "notation_simplicity.h"
#include "settings_choice.h"

namespace vl::fidelity {

struct WrittenNote {
    std::int64_t onset = 0;  // units of 1/960 crotchet from the first item of the strand
    std::int64_t value = 0;  // tied pieces summed
    int pitch = 0;
};

struct Transcription {
    bool opened = false;
    std::map<int, std::vector<WrittenNote>> notesOfTrack;  // by track index in the file
    std::vector<std::vector<std::int64_t>> barLinesOfStrand;  // positions, as onsets
    cli::NotationSimplicity simplicity;  // what `vlmidi --settings auto` weighs
    cli::SwingFigures swing;             // of the file as read, before the transcription
};

// With `revise`, each voice is revised against the file's notes as vlmidi's score does.
Transcription transcribeFile(const std::string& path, bool revise);

}  // namespace vl::fidelity
