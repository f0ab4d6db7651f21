#pragma once
// The one notation for a track in the tests, so that a table case states a whole
// track before and after a pass: "0 on 0 60, 96 KQVLBAR, 96 off 0 60".
//
// Each comma-separated item is an absolute time and an event in the words of
// test::describe: "on c k" / "off c k" (note-on of velocity 100 / note-off),
// "on c k v" for another velocity, "on0 c k" for velocity 0, "TS nn dd",
// "KS sf mi", "st b0 07" for status b0 with data byte 07, and any text that
// starts with KQVL for a marker event ("KQVLBAR", "KQVLEVT 90 3c"). A line break counts as a
// space, so a case file may spread a track over several lines.
// An item may end with annotations in brackets: "96 on 0 60 [s1 f4000 d96/90]"
// sets strand 1, flags 0x4000 and the assessed durations d1 = 96, d2 = 90.
#include <cstdint>
#include <string>

#include "midi/midi_message.h"
#include "midi/midi_track.h"

namespace vl::test {

// An event in the words above; note-offs of velocity 0 and note-ons of velocity 0 both read "off".
std::string describe(const MidiMessage& m);
MidiMessage noteOn(uint8_t channel, uint8_t key, uint8_t velocity = 100);
MidiMessage marker(const std::string& text);
// The position of the event at index in the track's list.
EventPos posAt(MidiTrack& track, size_t index);

// The track the text describes; times must not decrease.
MidiTrack trackFromText(std::string items, uint32_t division = 96);

// The track as text in the same notation (velocities are not shown). With
// annotated, events with a strand, flags or durations carry them in brackets.
std::string trackText(const MidiTrack& track, bool annotated = false);

}  // namespace vl::test
