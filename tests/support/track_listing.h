#pragma once
// Test helpers for tests that edit tracks: the messages they are built from,
// building a track from absolute times, and listing a track as (absolute
// time, description) so that tests can compare a whole track, or its
// untouched events, before and after an operation.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "midi/midi_message.h"
#include "midi/midi_track.h"

namespace vl::test {

// Marker texts written out here rather than taken from the library, so that a
// changed text in the library shows up as a failure.
inline constexpr const char* kBar = "KQVLBAR";
inline constexpr const char* kDeleted = "KQVLZZZ";

struct Timed {
    int64_t time = 0;
    std::string what;
    bool operator==(const Timed&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Timed& t);

// Short description: marker events by their text ("KQVLBAR"), notes as
// "on c k" / "off c k", signatures as "TS nn dd" / "KS sf mi", else "st xx".
std::string describe(const MidiMessage& m);

std::vector<Timed> listTrack(const MidiTrack& track);
// The listing without the entries whose description is in drop.
std::vector<Timed> listTrackWithout(const MidiTrack& track,
                                    std::initializer_list<std::string> drop);

// Messages the track tests are built from.
MidiMessage noteOn(uint8_t channel, uint8_t key, uint8_t velocity = 100);
MidiMessage noteOff(uint8_t channel, uint8_t key);
// Proprietary note-on and note-off marker events.
MidiMessage propOn(uint8_t channel, uint8_t key);
MidiMessage propOff(uint8_t channel, uint8_t key);
// Control changes stand for "any other event". The one-argument form is on
// channel 0 with value 0 and lists as "st b0 <controller>".
MidiMessage cc(uint8_t controller);
MidiMessage cc(uint8_t channel, uint8_t controller, uint8_t value = 0);
MidiMessage timeSig(uint8_t nn, uint8_t dd, uint8_t clocksPerClick = 24,
                    uint8_t thirtySecondsPerQuarter = 8);
MidiMessage keySig(uint8_t sf, uint8_t mi);
MidiMessage metaBytes(uint8_t type, std::initializer_list<uint8_t> bytes);
MidiMessage marker(const std::string& text);

// The position of the event at index in the track's list.
EventPos posAt(MidiTrack& track, size_t index);

// Appends events at absolute times (non-decreasing).
class TrackBuilder {
public:
    TrackBuilder& at(int64_t absTime, MidiMessage m);
    TrackBuilder& marker(int64_t absTime, const std::string& text);
    MidiTrack take() { return std::move(track_); }

private:
    MidiTrack track_{96};
    int64_t last_ = 0;
};

}  // namespace vl::test
