#pragma once
// Tracks written as one line of text, so that a table case can state a whole track before and
// after an operation: "0 on 0 60, 96 KQVLBAR, 96 off 0 60". Each comma-separated item is an
// absolute time and a description in the words of test::describe, plus "on0 c k" for a note-on
// of velocity 0 and "on c k v" for another velocity; "st b0 07" is status b0 with data byte 07.

#include <string>

#include "midi/midi_track.h"

namespace vl::test {

// The track the text describes, at division 96; times must not decrease.
MidiTrack trackFromText(const std::string& items);
// The track as text in the same notation (velocities are not shown).
std::string trackText(const MidiTrack& track);

}  // namespace vl::test
